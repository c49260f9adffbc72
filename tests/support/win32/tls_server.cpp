#include "tests/support/win32/tls_server.h"

#include <windows.h>
#include <wincrypt.h>

#include <stdexcept>

#include "core/file_io.h"
#include "core/text.h"
#include "platform/wide.h"
#include "platform/wine.h"
#include "tests/support/win32/http_server.h"
#include "tests/support/win32/linux_programs.h"

namespace zandrel::testing {

namespace {

const char kOpenssl[] = "/usr/bin/openssl";

void Write(const std::u16string& path, const std::string& text) {
  WriteFileAtomically(path,
                      ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string Read(const std::u16string& path) {
  const auto bytes = ReadFileBytes(path);
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

void Run(const std::vector<std::string>& command) {
  const LinuxRun run = RunLinuxProgram(command);
  if (run.exit_code != 0) throw std::runtime_error(command[1] + " failed: " + run.output);
}

// Adds the certificate to the current user's root store, or takes it out.
void Trust(const std::string& der, bool trusted) {
  HCERTSTORE store =
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  if (!store) throw std::runtime_error("no root store");
  const auto* bytes = reinterpret_cast<const BYTE*>(der.data());
  if (trusted) {
    CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, bytes,
                                     static_cast<DWORD>(der.size()),
                                     CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  } else if (PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, bytes,
                                                                  static_cast<DWORD>(der.size()))) {
    if (PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                          CERT_FIND_EXISTING, wanted, nullptr))
      CertDeleteCertificateFromStore(found);  // frees `found` as well
    CertFreeCertificateContext(wanted);
  }
  CertCloseStore(store, 0);
}

}  // namespace

std::string HttpResponseText(int status, const std::string& body, const std::string& headers) {
  return "HTTP/1.0 " + std::to_string(status) +
         " Answer\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + headers + "\r\n" +
         body;
}

LoopbackTlsServer::LoopbackTlsServer(Version version,
                                     const std::map<std::string, std::string>& answers,
                                     int connections) {
  const std::string dir = platform::WineHostPath(platform::ToWide(dir_.path()));
  Run({kOpenssl, "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
       "-nodes", "-keyout", dir + "/key.pem", "-out", dir + "/cert.pem", "-days", "1", "-subj",
       "/CN=localhost", "-addext", "subjectAltName=DNS:localhost"});
  Run({kOpenssl, "x509", "-in", dir + "/cert.pem", "-outform", "DER", "-out", dir + "/cert.der"});
  certificate_der_ = Read(dir_.path() + u"\\cert.der");
  // s_server -HTTP serves files of the current folder as whole responses.
  for (const auto& [path, response] : answers)
    Write(dir_.path() + FromUtf8("\\" + path.substr(1)), response);

  port_ = ClosedLoopbackPort();
  const std::string protocol = version == Version::kTls12 ? "-tls1_2" : "-tls1_1";
  const std::string server =
      "cd '" + dir + "' && /usr/bin/timeout 60 " + kOpenssl +
      " s_server -accept 127.0.0.1:" + std::to_string(port_) + " -cert cert.pem -key key.pem " +
      protocol + " -cipher DEFAULT@SECLEVEL=0 -HTTP -naccept " + std::to_string(connections) +
      " >server.log 2>&1 </dev/null; echo $? >ended.part; mv ended.part ended";
  Trust(certificate_der_, true);
  StartLinuxShell(server);
  running_ = true;
  // Listening once it says so.
  for (int i = 0;
       i < 200 && Read(dir_.path() + u"\\server.log").find("ACCEPT") == std::string::npos; ++i)
    Sleep(50);
}

LoopbackTlsServer::~LoopbackTlsServer() {
  Stop();
  Trust(certificate_der_, false);
}

std::string LoopbackTlsServer::host() const {
  return "localhost:" + std::to_string(port_);
}

std::string LoopbackTlsServer::Stop() {
  if (running_) {
    for (int i = 0; i < 1200 && !ReadFileBytes(dir_.path() + u"\\ended"); ++i) Sleep(50);
    running_ = false;
    log_ = Read(dir_.path() + u"\\server.log");
  }
  return log_;
}

}  // namespace zandrel::testing
