// The JSON report of a directory run (docs/report.md): building one, checking one read from a
// file, and merging the reports of the parts of a sharded run.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace cli {

inline constexpr int kReportVersion = 1;

// The whole report around the files' objects; the totals are counted from them.
nlohmann::ordered_json make_run_report(const std::string& directory, nlohmann::ordered_json shard,
                                       nlohmann::ordered_json files, int exit_status);
// Throws std::runtime_error naming what is missing or of the wrong kind.
void check_run_report(const nlohmann::ordered_json& report);
// One report of the files of all parts, in the order given; the exit status is the worst.
nlohmann::ordered_json merge_run_reports(const std::vector<nlohmann::ordered_json>& parts);

}  // namespace cli
