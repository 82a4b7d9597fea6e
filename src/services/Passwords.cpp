#include "Passwords.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>

namespace Passwords {

namespace {

const QString Prefix = QStringLiteral("pbkdf2-sha256$");
// A stored count beyond this is not ours and would stall the login.
constexpr int MaxIterations = 10000000;

QByteArray Derive(const QString &passwd, const QByteArray &salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, passwd.toUtf8(), salt, iterations,
                                              DigestBytes);
}

// Equal-length comparison whose time does not reveal the first differing byte.
bool SameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

QByteArray FromBase64(const QString &text, bool &ok)
{
    const auto result =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    ok = bool(result);
    return result.decoded;
}

} // namespace

QString StoredForm(const QString &passwd)
{
    if (passwd.isEmpty())
        return QString();
    QByteArray salt(SaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), SaltBytes / 4);
    const QByteArray digest = Derive(passwd, salt, PasswordIterations);
    return Prefix + QString::number(PasswordIterations) + QLatin1Char('$') +
           QString::fromLatin1(salt.toBase64()) + QLatin1Char('$') + QString::fromLatin1(digest.toBase64());
}

bool IsDigest(const QString &stored)
{
    // The shape StoredForm writes: base64 of SaltBytes and of DigestBytes, padded. A password
    // kept as typed may well begin with the prefix; only the whole shape tells them apart.
    static const QRegularExpression shape(QStringLiteral("^") + QRegularExpression::escape(Prefix) +
                                          QStringLiteral("([1-9][0-9]{0,7})\\$([A-Za-z0-9+/]{22}==)\\$"
                                                         "([A-Za-z0-9+/]{43}=)$"));
    const QRegularExpressionMatch match = shape.match(stored);
    if (!match.hasMatch())
        return false;
    if (match.captured(1).toInt() > MaxIterations)
        return false;
    bool saltOk = false;
    bool digestOk = false;
    const qsizetype saltSize = FromBase64(match.captured(2), saltOk).size();
    const qsizetype digestSize = FromBase64(match.captured(3), digestOk).size();
    return saltOk && digestOk && saltSize == SaltBytes && digestSize == DigestBytes;
}

bool IsPlainText(const QString &stored)
{
    return !stored.isEmpty() && !IsDigest(stored);
}

bool Matches(const QString &stored, const QString &passwd)
{
    if (stored.isEmpty())
        return passwd.isEmpty();
    if (!IsDigest(stored)) {
        // Hashing both sides first gives equal lengths, so neither the length nor the
        // content of the stored text shows in the time taken.
        return SameBytes(QCryptographicHash::hash(stored.toUtf8(), QCryptographicHash::Sha256),
                         QCryptographicHash::hash(passwd.toUtf8(), QCryptographicHash::Sha256));
    }
    // IsDigest has checked every part.
    const QStringList parts = stored.mid(Prefix.size()).split(QLatin1Char('$'));
    bool ok = false;
    const QByteArray salt = FromBase64(parts[1], ok);
    const QByteArray digest = FromBase64(parts[2], ok);
    return SameBytes(Derive(passwd, salt, parts[0].toInt()), digest);
}

} // namespace Passwords
