#include "tests/support/win32/test_release_key.h"

#include <stdexcept>

#include "core/file_io.h"
#include "core/text.h"
#include "platform/wide.h"
#include "platform/wine.h"
#include "tests/support/win32/linux_programs.h"

namespace zandrel::testing {

namespace {

const std::string kScript = ZANDREL_RELEASE_KEY_SCRIPT;

std::string Script(const std::vector<std::string>& arguments) {
  std::vector<std::string> command{kScript};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const LinuxRun run = RunLinuxProgram(command);
  if (run.exit_code != 0)
    throw std::runtime_error("release-key.sh " + arguments[0] + " failed: " + run.output);
  return run.output;
}

}  // namespace

TestReleaseKey::TestReleaseKey() {
  key_ = platform::WineHostPath(platform::ToWide(dir_.path())) + "/release.pem";
  Script({"new", key_});
  public_hex_ = FromUtf8(Script({"public", key_}));
  while (!public_hex_.empty() && (public_hex_.back() == u'\n' || public_hex_.back() == u'\r'))
    public_hex_.pop_back();
}

void TestReleaseKey::SignFile(const std::wstring& path) const {
  Script({"sign", key_, platform::WineHostPath(path)});
}

std::string TestReleaseKey::Sign(const std::string& bytes) const {
  const std::u16string file = dir_.path() + u"\\package";
  WriteFileAtomically(file,
                      ByteView(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  SignFile(platform::ToWide(file));
  const auto signature = ReadFileBytes(file + u".sig");
  if (!signature) throw std::runtime_error("no signature file");
  return std::string(signature->begin(), signature->end());
}

}  // namespace zandrel::testing
