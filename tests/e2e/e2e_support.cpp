// Helpers of the end-to-end tests.
#include "e2e_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <stdexcept>

namespace e2e {

std::string quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

Result run(const std::string& command_line) {
  Result result;
  FILE* pipe = popen((command_line + " 2>&1 </dev/null").c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command_line);
  std::array<char, 4096> buffer{};
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    result.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

PrintServer::PrintServer(const fs::path& dir)
    : dir_(dir),
      started_(run(quote(TAVRIN_SOURCE_DIR "/scripts/cups-test-env.sh") + " start " +
                   quote(dir.string()) + " " + std::to_string(getpid()))) {}

std::string PrintServer::env() const {
  return "CUPS_SERVER=" + quote((dir_ / "cups.sock").string());
}

void PrintServer::stop() {
  if (stopped_ || started_.status != 0) return;
  stopped_ = true;
  run(quote(TAVRIN_SOURCE_DIR "/scripts/cups-test-env.sh") + " stop " + quote(dir_.string()));
}

Scratch::Scratch() : root_(dir_.path()) {
  fs::create_directories(root_ / "ex");
  fs::create_directories(root_ / "profile");
  fs::copy(TAVRIN_BUILD_SHARE, share(), fs::copy_options::recursive);
  for (const auto& entry : fs::directory_iterator(fs::path(TAVRIN_SOURCE_DIR) / "examples")) {
    const std::string ext = entry.path().extension().string();
    if (entry.is_regular_file() && (ext == ".mi" || ext == ".dxf" || ext == ".bdl")) {
      fs::copy_file(entry.path(), examples() / entry.path().filename());
    }
  }
}

Scratch::~Scratch() = default;

Result Scratch::tavrin(const std::string& args, const fs::path& cwd) const {
  const fs::path dir = cwd.empty() ? root_ : cwd;
  return run("cd " + quote(dir.string()) +
             " && TAVRIN_PROFILE_DIR=" + quote((root_ / "profile").string()) +
             " CUPS_SERVER=" + quote((root_ / "no-cups.sock").string()) + " " + quote(TAVRIN_CLI) +
             " --path " + quote(share().string()) + " " + args);
}

std::vector<std::string> files_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

PdfInfo pdf_info(const fs::path& pdf) {
  const Result r = run("pdfinfo " + quote(pdf.string()));
  if (r.status != 0)
    throw std::runtime_error("pdfinfo failed on " + pdf.string() + ": " + r.output);
  PdfInfo info;
  std::smatch m;
  static const std::regex size(R"(Page size:\s+([0-9.]+) x ([0-9.]+) pts)");
  static const std::regex pages(R"(Pages:\s+([0-9]+))");
  if (std::regex_search(r.output, m, size)) {
    info.width = std::stod(m[1]);
    info.height = std::stod(m[2]);
  }
  if (std::regex_search(r.output, m, pages)) info.pages = std::stoi(m[1]);
  return info;
}

std::string pdf_text(const fs::path& pdf) {
  return run("pdftotext -layout " + quote(pdf.string()) + " -").output;
}

std::string dxf_texts(const fs::path& dxf) {
  const std::string script =
      "import sys, ezdxf\n"
      "doc = ezdxf.readfile(sys.argv[1])\n"
      "msp = doc.modelspace()\n"
      "print('entities', len(msp))\n"
      "for e in msp:\n"
      "    t = e.dxftype()\n"
      "    if t == 'TEXT': print(e.dxf.text)\n"
      "    elif t == 'MTEXT': print(e.plain_text())\n"
      "    elif t == 'INSERT':\n"
      "        for a in e.attribs: print(a.dxf.text)\n";
  const fs::path py = dxf.parent_path() / ".read_dxf.py";
  std::ofstream(py) << script;
  const Result r = run("/usr/bin/python3 " + quote(py.string()) + " " + quote(dxf.string()));
  fs::remove(py);
  if (r.status != 0)
    throw std::runtime_error("ezdxf cannot read " + dxf.string() + ": " + r.output);
  return r.output;
}

}  // namespace e2e

namespace e2e {

Result tavrin_with_env(const Scratch& scratch, const std::string& env, const std::string& args,
                       const fs::path& cwd) {
  const fs::path dir = cwd.empty() ? scratch.root() : cwd;
  return run("cd " + quote(dir.string()) + " && " + env +
             " TAVRIN_PROFILE_DIR=" + quote((scratch.root() / "profile").string()) +
             " CUPS_SERVER=" + quote((scratch.root() / "no-cups.sock").string()) + " " +
             quote(TAVRIN_CLI) + " --path " + quote(scratch.share().string()) + " " + args);
}

}  // namespace e2e
