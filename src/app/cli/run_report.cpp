// The JSON report of a directory run: totals, checking, merging the parts of a sharded run.
#include "run_report.h"

#include <algorithm>
#include <stdexcept>

#include "host/api/language.h"

namespace cli {

namespace {

using json = nlohmann::ordered_json;

json totals_of(const json& files) {
  long long loaded = 0, failed = 0, sheets = 0, outputs = 0, bytes = 0, problems = 0;
  const auto count_outputs = [&](const json& list) {
    for (const json& o : list) {
      ++outputs;
      bytes += o.at("bytes").get<long long>();
    }
  };
  for (const json& f : files) {
    (f.at("load") == "loaded" ? loaded : failed) += 1;
    problems += static_cast<long long>(f.at("problems").size());
    count_outputs(f.at("outputs"));
    for (const json& s : f.at("sheets")) {
      ++sheets;
      count_outputs(s.at("outputs"));
    }
  }
  return {{"files", files.size()}, {"loaded", loaded}, {"failed", failed},    {"sheets", sheets},
          {"outputs", outputs},    {"bytes", bytes},   {"problems", problems}};
}

void require(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(host::translate_format("not a tavrin run report: {}", what));
}

}  // namespace

json make_run_report(const std::string& directory, json shard, json files, int exit_status) {
  json totals = totals_of(files);
  return {{"report_version", kReportVersion}, {"directory", directory},
          {"shard", std::move(shard)},        {"files", std::move(files)},
          {"totals", std::move(totals)},      {"exit_status", exit_status}};
}

void check_run_report(const json& r) {
  require(r.is_object(), _("the text is no JSON object"));
  require(r.contains("report_version") && r["report_version"] == kReportVersion,
          host::translate_format("\"report_version\" is not {}", kReportVersion));
  require(r.contains("files") && r["files"].is_array(), _("\"files\" is missing"));
  require(r.contains("exit_status") && r["exit_status"].is_number_integer(),
          _("\"exit_status\" is missing"));
  for (const json& f : r["files"]) {
    require(f.is_object() && f.contains("file") && f["file"].is_string(),
            _("a file entry has no \"file\""));
    for (const char* key : {"load", "problems", "sheets", "outputs"})
      require(f.contains(key),
              host::translate_format("the entry of {} has no \"{}\"", f["file"].get<std::string>(), key));
  }
}

json merge_run_reports(const std::vector<json>& parts) {
  json files = json::array();
  int exit_status = 0;
  for (const json& part : parts) {
    check_run_report(part);
    for (const json& f : part["files"]) files.push_back(f);
    exit_status = std::max(exit_status, part["exit_status"].get<int>());
  }
  // One directory for all parts is the rule of a sharded run; anything else is kept apart.
  json directory = parts.empty() ? json(nullptr) : parts.front().value("directory", json(nullptr));
  for (const json& part : parts)
    if (part.value("directory", json(nullptr)) != directory) directory = nullptr;
  json merged = make_run_report("", nullptr, std::move(files), exit_status);
  merged["directory"] = directory;
  return merged;
}

}  // namespace cli
