#pragma once
// The sections-and-keys text files of the data directory ("cfg.ini" and the SQL Server alias
// store): "[section]" headers and "key=value" lines. Values are the raw bytes of the file,
// because scrambled secrets are stored as bytes that no text codec may reinterpret; texts are
// GBK. Section and key names compare without regard to ASCII letter case. Lines the reader does
// not understand, unknown keys and unknown sections are kept and written back as they were.

#include <QByteArray>
#include <QList>
#include <QString>

class TIniFile
{
public:
    // Reads the file when it exists. Anything at all reads without error: a line that is
    // neither a header nor "key=value" is kept as it stands.
    explicit TIniFile(QString fileName);

    const QString &FileName() const { return m_fileName; }
    // False when the file exists but could not be read; writing it then would destroy it.
    bool Readable() const { return m_readable; }

    bool HasKey(const QByteArray &section, const QByteArray &key) const;
    QByteArray ReadBytes(const QByteArray &section, const QByteArray &key, const QByteArray &def = {}) const;
    QString ReadString(const QByteArray &section, const QByteArray &key, const QString &def = {}) const;
    // A decimal integer (blanks around it allowed); anything else, or a missing key, reads as def.
    int ReadInteger(const QByteArray &section, const QByteArray &key, int def) const;
    // Stored as an integer: any number but 0 is true.
    bool ReadBool(const QByteArray &section, const QByteArray &key, bool def) const;

    // Replaces the value of an existing key where it stands, or appends the key to its section
    // (the section to the file). A value is one line: line breaks in it become blanks.
    void WriteBytes(const QByteArray &section, const QByteArray &key, const QByteArray &value);
    void WriteString(const QByteArray &section, const QByteArray &key, const QString &value);
    void WriteInteger(const QByteArray &section, const QByteArray &key, int value);
    void WriteBool(const QByteArray &section, const QByteArray &key, bool value);
    // Answers whether the key was there.
    bool DeleteKey(const QByteArray &section, const QByteArray &key);

    // The file's content as it would be written: every line ended by CRLF.
    QByteArray ToBytes() const;
    // Replaces the file on disk in one step, readable and writable by its owner only (the
    // settings hold scrambled passwords). Answers false (with the system's reason in *error)
    // when the file cannot be written; the file is then left as it was.
    bool UpdateFile(QString *error = nullptr) const;

private:
    struct Line
    {
        QByteArray text;   // the line as read or as last written, without its line break
        QByteArray key;    // trimmed key of a "key=value" line, empty for any other line
        qsizetype eq = -1; // position of the "=" in text
    };
    struct Section
    {
        QByteArray name;   // empty for the lines before the first header
        QList<Line> lines; // the header line first (except for the leading part)
    };

    void Parse(const QByteArray &content);
    const Line *FindLine(const QByteArray &section, const QByteArray &key) const;
    qsizetype SectionIndex(const QByteArray &name) const; // -1 when absent

    QString m_fileName;
    bool m_readable = true;
    QList<Section> m_sections; // the first one holds the lines before any header
};
