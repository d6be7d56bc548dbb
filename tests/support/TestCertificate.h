// A certificate made when a test runs, for the stand-in site serving TLS: nothing secret is kept in the
// tree, and no certificate in it can expire.
#pragma once

#include <string>

namespace albatrix::test {

// Writes a fresh self-signed certificate for 127.0.0.1 (a day valid, an EC P-256 key) to `certificateFile`
// and its key to `keyFile`, both PEM. The certificate is also the authority a client trusts to reach a
// site that serves it. False when either file could not be made.
bool WriteLoopbackCertificate(const std::string& certificateFile, const std::string& keyFile);

}  // namespace albatrix::test
