#pragma once
// One executable runs every test class of its folder: each class registers itself with
// PZ_TEST(ClassName) in its own file.

#include <QObject>

#include <functional>

namespace TestRegistry {
void Add(const char *name, std::function<QObject *()> factory);
}

#define PZ_TEST(Class)                                                                                       \
    static const bool Class##_registered = (TestRegistry::Add(#Class, [] { return new Class; }), true);
