#include "support/TestCertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>

namespace albatrix::test {

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;

bool AddExtension(X509* certificate, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (!extension) return false;
  bool added = X509_add_ext(certificate, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

// Writes with `write` to a file made (or emptied) at `path`; false when any step fails.
template <typename Write>
bool WritePem(const std::string& path, Write write) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = write(file) == 1;
  return std::fclose(file) == 0 && written;
}

}  // namespace

bool WriteLoopbackCertificate(const std::string& certificateFile, const std::string& keyFile) {
  Key key(EVP_EC_gen("P-256"), EVP_PKEY_free);
  Certificate certificate(X509_new(), X509_free);
  if (!key || !certificate) return false;
  X509* x = certificate.get();
  X509_NAME* name = X509_get_subject_name(x);
  // The subject names the address a client reaches it by; the IP entry is what libcurl matches.
  bool made = X509_set_version(x, 2) == 1 && ASN1_INTEGER_set(X509_get_serialNumber(x), 1) == 1 &&
              X509_gmtime_adj(X509_getm_notBefore(x), -60) && X509_gmtime_adj(X509_getm_notAfter(x), 24 * 3600) &&
              X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                         reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0) == 1 &&
              X509_set_issuer_name(x, name) == 1 && X509_set_pubkey(x, key.get()) == 1 &&
              AddExtension(x, NID_basic_constraints, "critical,CA:TRUE") &&
              AddExtension(x, NID_subject_alt_name, "IP:127.0.0.1") && X509_sign(x, key.get(), EVP_sha256()) > 0;
  if (!made) return false;
  return WritePem(certificateFile, [&](std::FILE* file) { return PEM_write_X509(file, x); }) &&
         WritePem(keyFile, [&](std::FILE* file) {
           return PEM_write_PrivateKey(file, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
         });
}

}  // namespace albatrix::test
