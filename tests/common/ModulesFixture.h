#pragma once
// The process-wide modules a test class runs on: the data module, and the services when the
// class needs them. They are set up for the class's life and taken down again, connection
// included, whatever its tests left open.

#include "Database.h"
#include "Settings.h"

class ModulesFixture
{
public:
    enum class With { DataOnly, Services };

    explicit ModulesFixture(With with = With::Services) : m_services(with == With::Services)
    {
        InitDataModule();
        if (m_services)
            StartServices();
    }
    ~ModulesFixture()
    {
        if (Database)
            Database->SetConnected(false);
        if (m_services)
            StopServices();
        DoneDataModule();
    }
    ModulesFixture(const ModulesFixture &) = delete;
    ModulesFixture &operator=(const ModulesFixture &) = delete;

private:
    bool m_services;
};
