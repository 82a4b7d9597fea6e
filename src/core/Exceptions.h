#pragma once
// The system's error types. Every error carries the message text the user will see;
// EAbort is the silent abort that unwinds a user action without any message.

#include <QString>
#include <exception>

class Exception : public std::exception
{
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A failing statement, a connection that cannot be opened, a data set in the wrong state.
class EDatabaseError : public Exception
{
public:
    using Exception::Exception;
};

// A text that does not convert to the number or date asked for.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

// A file that cannot be read or written.
class EFileError : public Exception
{
public:
    using Exception::Exception;
};

// The silent abort: ends the current user action; the guard swallows it.
class EAbort : public Exception
{
public:
    EAbort() : Exception(QStringLiteral("操作已中止")) {}
};

// Ends the current user action silently.
[[noreturn]] inline void Abort()
{
    throw EAbort();
}
