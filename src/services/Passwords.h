#pragma once
// How operator passwords are kept in the `Password` column.
//
// A non-empty password is stored as a salted PBKDF2-HMAC-SHA256 digest in the form
//   pbkdf2-sha256$<iterations>$<salt, base64>$<digest, base64>
// so that the table never holds what the operator typed. The iteration count travels in the
// text, so raising PasswordIterations later leaves older digests readable.
// An empty password stays empty text: it means "no password", which the delivered "sa" row
// relies on, and there is nothing to hide in it.
// Anything else in the column is a password from a database that kept them as typed, even
// when it begins with the digest prefix; it is still accepted, and the operator object
// rewrites it as a digest after the next login.

#include <QString>

namespace Passwords {

constexpr int PasswordIterations = 310000;
constexpr int SaltBytes = 16;
constexpr int DigestBytes = 32;

// The stored form of a password typed by the operator: empty stays empty, anything else
// becomes a digest with a fresh random salt.
QString StoredForm(const QString &passwd);
// Whether the stored text is a digest: the prefix, an iteration count from 1 to 10,000,000,
// and the base64 of SaltBytes and of DigestBytes, as StoredForm writes them.
bool IsDigest(const QString &stored);
// Whether the stored text is a password kept as typed (non-empty and not a digest).
bool IsPlainText(const QString &stored);
// Whether the typed password matches the stored text. Digests and texts kept as typed are
// compared in time that does not depend on where they differ.
bool Matches(const QString &stored, const QString &passwd);

} // namespace Passwords
