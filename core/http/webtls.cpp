// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "webtls.h"

#include "smallfile.h"

#include <QFile>
#include <QList>
#include <QSslCertificate>
#include <QSslKey>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <sys/stat.h>

namespace sfp::webTls {

namespace {

// A certificate with its chain, or a key, fits in far less.
constexpr qint64 maxFileSize = qint64(256) * 1024;

QByteArray readPem(const QString &path, const QString &what, QString *why)
{
    bool absent = false;
    QString fault;
    const QByteArray text = readSmallFile(path, maxFileSize, &absent, &fault);
    if (absent)
        *why = QStringLiteral("the %1 file %2 does not exist").arg(what, path);
    else if (!fault.isEmpty())
        *why = QStringLiteral("the %1 file %2 %3").arg(what, path, fault);
    return why->isEmpty() ? text : QByteArray();
}

// Whether the key is the one whose public half the certificate carries,
// as OpenSSL (the toolkit's own TLS backend) compares them.
bool keyMatches(const QByteArray &certificatePem, const QByteArray &keyPem, int *keyType)
{
    BIO *certificateBio = BIO_new_mem_buf(certificatePem.constData(), int(certificatePem.size()));
    BIO *keyBio = BIO_new_mem_buf(keyPem.constData(), int(keyPem.size()));
    X509 *certificate
        = certificateBio ? PEM_read_bio_X509(certificateBio, nullptr, nullptr, nullptr) : nullptr;
    // No callback and an empty passphrase: a key that needs one is not
    // read, rather than asked for on a terminal.
    char noPassphrase[] = "";
    EVP_PKEY *key
        = keyBio ? PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, noPassphrase) : nullptr;
    const bool matching = certificate && key && X509_check_private_key(certificate, key) == 1;
    *keyType = key ? EVP_PKEY_base_id(key) : EVP_PKEY_NONE;
    EVP_PKEY_free(key);
    X509_free(certificate);
    BIO_free(keyBio);
    BIO_free(certificateBio);
    return matching;
}

} // namespace

bool load(const QString &certificatePath, const QString &keyPath, QSslConfiguration *configuration,
          QString *why)
{
    why->clear();
    const QByteArray certificatePem = readPem(certificatePath, QStringLiteral("certificate"), why);
    if (!why->isEmpty())
        return false;
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certificatePem, QSsl::Pem);
    if (chain.isEmpty() || chain.constFirst().isNull()) {
        *why = QStringLiteral("the certificate file %1 holds no PEM certificate")
                   .arg(certificatePath);
        return false;
    }
    struct stat status
    { };
    if (::stat(QFile::encodeName(keyPath).constData(), &status) == 0
        && (status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        *why = QStringLiteral("the key file %1 may be read or written by others than its owner "
                              "(chmod 600 it)")
                   .arg(keyPath);
        return false;
    }
    const QByteArray keyPem = readPem(keyPath, QStringLiteral("key"), why);
    if (!why->isEmpty())
        return false;
    int keyType = EVP_PKEY_NONE;
    const bool matching = keyMatches(certificatePem, keyPem, &keyType);
    QSsl::KeyAlgorithm algorithm = QSsl::Opaque;
    if (keyType == EVP_PKEY_RSA)
        algorithm = QSsl::Rsa;
    else if (keyType == EVP_PKEY_EC)
        algorithm = QSsl::Ec;
    else if (keyType == EVP_PKEY_DSA)
        algorithm = QSsl::Dsa;
    const QSslKey key = algorithm == QSsl::Opaque
        ? QSslKey()
        : QSslKey(keyPem, algorithm, QSsl::Pem, QSsl::PrivateKey);
    if (key.isNull()) {
        *why = QStringLiteral("the key file %1 holds no unencrypted PEM private key (RSA, EC or "
                              "DSA)")
                   .arg(keyPath);
        return false;
    }
    if (!matching) {
        *why = QStringLiteral("the key file %1 is not the key of the certificate %2")
                   .arg(keyPath, certificatePath);
        return false;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    // Browsers ask for no client certificate.
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    *configuration = tls;
    return true;
}

} // namespace sfp::webTls
