// Helpers of the plotting tests.
#include "plot_test_util.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <stdexcept>

namespace plot_test {

CommandResult run(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

double to_number(const std::string& s) {
  double d = 0;
  std::from_chars(s.data(), s.data() + s.size(), d);
  return d;
}

std::vector<PageBox> page_boxes(const std::string& pdf) {
  CommandResult info = run("pdfinfo -f 1 -l 9999 '" + pdf + "'");
  std::vector<PageBox> boxes;
  std::regex size_re(R"(Page +\d+ size: +([0-9.]+) x ([0-9.]+) pts)");
  std::regex rot_re(R"(Page +\d+ rot: +(\d+))");
  for (auto it = std::sregex_iterator(info.out.begin(), info.out.end(), size_re);
       it != std::sregex_iterator(); ++it) {
    boxes.push_back({to_number((*it)[1]), to_number((*it)[2]), 0});
  }
  std::size_t i = 0;
  for (auto it = std::sregex_iterator(info.out.begin(), info.out.end(), rot_re);
       it != std::sregex_iterator() && i < boxes.size(); ++it, ++i) {
    boxes[i].rotate = static_cast<int>(to_number((*it)[1]));
  }
  return boxes;
}

std::string pdf_text(const std::string& pdf, int page) {
  std::string range = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
  return run("pdftotext -enc UTF-8" + range + " '" + pdf + "' -").out;
}

std::vector<double> line_widths(const std::string& pdf) {
  std::string qdf = pdf + ".qdf";
  run("qpdf --qdf --object-streams=disable '" + pdf + "' '" + qdf + "'");
  std::string content = run("cat '" + qdf + "'").out;
  std::filesystem::remove(qdf);
  std::vector<double> widths;
  std::regex w_re(R"((?:^|\s)([0-9.]+) w(?=\s))");
  for (auto it = std::sregex_iterator(content.begin(), content.end(), w_re);
       it != std::sregex_iterator(); ++it) {
    widths.push_back(to_number((*it)[1]));
  }
  return widths;
}

host::Element line(double x1, double y1, double x2, double y2, double pensize) {
  host::Element e;
  e.kind = host::ElementKind::Line;
  e.points = {{x1, y1}, {x2, y2}};
  e.stroke.color = {0, 0, 0};
  e.stroke.pensize = pensize;
  return e;
}

host::Element text(double x, double y, std::vector<std::string> lines, int adjust, double size) {
  host::Element e;
  e.kind = host::ElementKind::Text;
  e.points = {{x, y}};
  e.stroke.color = {0, 0, 0};
  e.text.lines = std::move(lines);
  e.text.adjust = adjust;
  e.text.size = size;
  return e;
}

host::Element rectangle(double x1, double y1, double x2, double y2) {
  host::Element e;
  e.kind = host::ElementKind::Rectangle;
  e.points = {{x1, y1}, {x2, y2}};
  e.stroke.color = {0, 0, 0};
  e.stroke.pensize = 0.5;
  return e;
}

}  // namespace plot_test
