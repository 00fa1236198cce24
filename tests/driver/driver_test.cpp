// The plot job driver: sheet selection, the settings it reads, the file loop and the end of
// a run, against the dialog controls and the host's drawing store.
#include "engine/driver.h"

#include <gmock/gmock.h>

#include "dialogs/job_settings.h"
#include "dialogs/job_start.h"
#include "host/api/host.h"
#include "job_fixture.h"

namespace tavrin {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::JobTest;
using ::testing::Not;
using testing::StepLog;

const char* kBatchLine = "am_create_drawing  :YES  :owner  :drawing_type  :2D_PROCESS   cancel";
const char* kNowLine = "am_create_drawing  :YES  :owner  :drawing_type  :2D_PROCESS cancel";

class SheetSelection : public testing::FreshHost {};
class JobSettingsOrder : public testing::FreshHost {};

// Which of the sheet names each selection takes. Names that are not numbers always take
// part; "2 A" reads as 2, "4/2" and "2.0" equal 2.
TEST_F(SheetSelection, NamesAgainstEachSelection) {
  const std::vector<std::string> names = {"0",   "-1", "A", "2.0",     "4/2",
                                          "2 A", "2",  "3", "Blatt 2", ")"};
  struct Case {
    Selection selection;
    std::vector<bool> expected;
  };
  const std::vector<Case> cases = {
      {{0, ">"}, {false, false, true, true, true, true, true, true, true, true}},
      {{1, ">"}, {false, false, true, true, true, true, true, true, true, true}},
      {{2, "<"}, {true, true, true, false, false, false, false, false, true, true}},
      {{2, "="}, {false, false, true, true, true, true, true, false, true, true}},
      {{host::Value::ratio(5, 2), "<"},
       {true, true, true, true, true, true, true, false, true, true}},
      {{2, "?"}, {false, false, true, false, false, false, false, false, true, true}},
  };
  for (const Case& c : cases) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(ist_blatt_in_auswahl(names[i], c.selection), c.expected[i])
          << "sheet \"" << names[i] << "\" against " << c.selection.op << " "
          << host::print_literal(c.selection.limit);
    }
  }
  // A complex sheet number has no order and equals no real limit.
  EXPECT_FALSE(ist_blatt_in_auswahl("#C(2 1)", {0, ">"}));
  EXPECT_FALSE(ist_blatt_in_auswahl("#C(2 1)", {2, "="}));
}

// A recorder in place of tv_read_value: the keys in reading order, answers from a table.
struct Recorder {
  std::map<std::string, std::string> values;
  std::vector<std::string> keys;
  SettingReader reader() {
    return [this](const std::string& key) {
      keys.push_back(key);
      const auto it = values.find(key);
      return it == values.end() ? std::string(key.ends_with("-TB") ? "0" : "") : it->second;
    };
  }
};

const std::vector<std::string> kFirstTen = {
    "STORE-DXF-TB",   "STORE-MI-TB",       "STORE-PDF-TB",     "DRUCKEN-TB",
    "BLATT-ALLE-TB",  "BLATT-GROESSER-TB", "BLATT-KLEINER-TB", "BLATT-X-TB",
    "AUTOTEXT-AN-TB", "STORE-AENDERUNG-TB"};

// The plot colours come last, whatever else the job reads.
const std::vector<std::string> kPlotColors = {"SCHWARZWEISS-TB", "GRAUSTUFEN-TB",
                                              "PLOTSTILTABELLE-TX"};

std::vector<std::string> with(std::vector<std::string> keys, const std::vector<std::string>& more) {
  keys.insert(keys.end(), more.begin(), more.end());
  keys.insert(keys.end(), kPlotColors.begin(), kPlotColors.end());
  return keys;
}

TEST_F(JobSettingsOrder, PrintSettingsAreNotReadWhenPrintingAndPdfAreOff) {
  Recorder r;
  r.values = {{"BLATT-ALLE-TB", "1"},
              {"FIRMA-TX", "Farbe"},
              {"DRUCKER-TX", "HP"},
              {"FORMAT-TX", "A3"},
              {"STORE-MI-TB", "1"}};
  const JobSettings s = read_job_settings(r.reader());
  EXPECT_EQ(r.keys, with(kFirstTen, {}));
  EXPECT_TRUE(s.firma.is_nil());
  EXPECT_TRUE(s.format.is_nil());
  EXPECT_TRUE(s.drucker.is_nil());
  EXPECT_TRUE(s.store_mi);
  EXPECT_EQ(s.selection.op, ">");
  EXPECT_EQ(s.selection.limit, host::Value(0));
}

TEST_F(JobSettingsOrder, FitFormatAndPrinterOnlyWhenTheyMatter) {
  Recorder pdf;
  pdf.values = {{"STORE-PDF-TB", "1"}, {"AUTO-PLOTTER-SELECT-TB", "1"},
                {"DRUCKER-TX", "HP"},  {"FIRMA-TX", "Farbe"},
                {"BLATT-X-TB", "1"},   {"BLATT-X-TX", "2"}};
  const JobSettings a = read_job_settings(pdf.reader());
  EXPECT_EQ(pdf.keys,
            with(kFirstTen, {"EINPASSEN-TB", "AUTO-PLOTTER-SELECT-TB", "FIRMA-TX", "BLATT-X-TX"}));
  EXPECT_EQ(a.firma, host::Value("Farbe"));
  EXPECT_TRUE(a.drucker.is_nil()) << "automatic plotter choice ignores the printer field";
  EXPECT_EQ(a.selection.limit, host::Value(2));
  EXPECT_EQ(a.selection.op, "=");

  Recorder print;
  print.values = {{"DRUCKEN-TB", "1"},        {"EINPASSEN-TB", "1"},
                  {"FORMAT-TX", "A3"},        {"DRUCKER-TX", "HP"},
                  {"BLATT-KLEINER-TB", "1"},  {"BLATT-KLEINER-TX", "2.5"},
                  {"STORE-AENDERUNG-TB", "0"}};
  const JobSettings b = read_job_settings(print.reader());
  EXPECT_EQ(print.keys, with(kFirstTen, {"EINPASSEN-TB", "AUTO-PLOTTER-SELECT-TB", "FIRMA-TX",
                                         "FORMAT-TX", "DRUCKER-TX", "BLATT-KLEINER-TX"}));
  EXPECT_EQ(b.format, host::Value("A3"));
  EXPECT_EQ(b.drucker, host::Value("HP"));
  EXPECT_EQ(b.firma, host::Value(""));
  EXPECT_EQ(b.selection.op, "<");
  EXPECT_DOUBLE_EQ(b.selection.limit.as_double(), 2.5);
  EXPECT_FALSE(b.aenderung) << "\"0\" must not switch the revision PDF on";
}

TEST_F(JobSettingsOrder, SelectionPrecedenceAndTheCurrentDrawingHook) {
  Recorder r;
  r.values = {{"BLATT-GROESSER-TB", "1"},   {"BLATT-KLEINER-TB", "1"}, {"BLATT-X-TB", "1"},
              {"BLATT-GROESSER-TX", "4/2"}, {"BLATT-KLEINER-TX", "7"}, {"BLATT-X-TX", "9"}};
  const JobSettings s =
      read_job_settings(r.reader(), [&] { r.keys.push_back("<drawing number>"); });
  EXPECT_EQ(r.keys[8], "<drawing number>");
  EXPECT_EQ(r.keys[r.keys.size() - 1 - kPlotColors.size()], "BLATT-GROESSER-TX");
  EXPECT_EQ(s.selection.op, ">");
  EXPECT_EQ(s.selection.limit, host::Value(2));

  r.values["BLATT-ALLE-TB"] = "1";
  r.keys.clear();
  const JobSettings all = read_job_settings(r.reader());
  EXPECT_EQ(all.selection.op, ">");
  EXPECT_EQ(all.selection.limit, host::Value(0));
  EXPECT_EQ(r.keys, with(kFirstTen, {})) << "no text field is read for all sheets";
}

// A limit that is no number would compare sheets with nothing: the job is refused instead.
TEST_F(JobSettingsOrder, SelectionFieldsThatAreNoNumberAreRefused) {
  for (const auto& [radio, field, text] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {"BLATT-X-TB", "BLATT-X-TX", "abc"},
           {"BLATT-GROESSER-TB", "BLATT-GROESSER-TX", ""},
           {"BLATT-KLEINER-TB", "BLATT-KLEINER-TX", "2a"},
           {"BLATT-X-TB", "BLATT-X-TX", "#C(1 2)"}}) {
    Recorder r;
    if (!radio.empty()) r.values[radio] = "1";
    r.values[field] = text;
    const JobSettings s = read_job_settings(r.reader());
    ASSERT_TRUE(s.selection_problem.has_value()) << text;
    EXPECT_THAT(*s.selection_problem, HasSubstr(field));
    EXPECT_THAT(*s.selection_problem, HasSubstr("\"" + text + "\""));
  }
  Recorder two_blank_a;
  two_blank_a.values = {{"BLATT-X-TB", "1"}, {"BLATT-X-TX", "2 A"}};
  EXPECT_FALSE(read_job_settings(two_blank_a.reader()).selection_problem.has_value());
}

class BatchRunTest : public JobTest {};

// No radio on at all (no standard file chose one): the refusal names the choices, in the
// dialog's own words, instead of a field the user never filled.
TEST_F(BatchRunTest, NoSheetRadioOnNamesTheChoices) {
  Recorder none;
  none.values["BLATT-X-TX"] = "(1";
  const JobSettings n = read_job_settings(none.reader());
  ASSERT_TRUE(n.selection_problem.has_value());
  EXPECT_THAT(*n.selection_problem, HasSubstr("keine Auswahl"));
  EXPECT_THAT(*n.selection_problem, HasSubstr("\"alle\", \"größer\", \"kleiner\" oder \"gleich\""));
  EXPECT_THAT(*n.selection_problem, Not(HasSubstr("BLATT-X-TX")));
}

// MI and PDF for sheet 2 of every listed file: bundles by their last three letters, the
// rest as drawings; a file of one byte is reported and the run goes on.
TEST_F(BatchRunTest, WalksTheFilesInOrderWithTheFixedStepsPerDrawing) {
  drawing_file("a.mi", "A-100", {"1", "2", "2.0"});
  write("leer.mi", "x");
  bundle_file("b.BDL", "B-200");
  bundle_file("ohnepunktbdl", "C-300");
  drawing_file("d.bdl.mi", "D-400", {"1"});
  set("STORE-MI-TB", true);
  set("STORE-PDF-TB", true);
  set("AUTO-PLOTTER-SELECT-TB", true);
  set("AUTOTEXT-AN-TB", true);
  set("BLATT-X-TB", true);
  type("BLATT-X-TX", " 2 ");
  type("FIRMA-TX", "Farbe");
  StepLog log;

  run_batch_dialog({"a.mi", "leer.mi", "b.BDL", "ohnepunktbdl", "d.bdl.mi"}, tv_read_value,
                   log.steps());

  EXPECT_THAT(
      log.calls,
      ElementsAre("autotext A-100", "speichern A-100 a.mi mi=1 dxf=0", "drucken A-100 a.mi",
                  "autotext B-200", "speichern B-200 b.BDL mi=1 dxf=0", "drucken B-200 b.BDL",
                  "autotext C-300", "speichern C-300 ohnepunktbdl mi=1 dxf=0",
                  "drucken C-300 ohnepunktbdl", "autotext D-400",
                  "speichern D-400 d.bdl.mi mi=1 dxf=0", "drucken D-400 d.bdl.mi"));
  EXPECT_EQ(log.selection.op, "=");
  EXPECT_EQ(log.selection.limit, host::Value(2));
  const host::List expected_args = {false, "Farbe", host::Value(), host::Value(), true,
                                    false, true,    "a.mi",        "a.mi"};
  EXPECT_EQ(log.drucken_args.front(), expected_args);

  EXPECT_THAT(front().output_lines(), ElementsAre("leer.mi konnte nicht geladen werden"));
  EXPECT_EQ(host::reported_problems(), 1);
  EXPECT_THAT(host::queued_commands(), ElementsAre(kBatchLine));
  ASSERT_FALSE(front().messages().empty());
  EXPECT_EQ(front().messages().back(), lang_text(24));
  EXPECT_EQ(StepLog::current_drawing(), "D-400")
      << "the last drawing stays until the queued line runs";
}

TEST_F(BatchRunTest, EmptyListStillEndsWithTheEmptyDrawingAndTheMessage) {
  set("BLATT-ALLE-TB", true);
  StepLog log;
  EXPECT_TRUE(run_batch_dialog({}, tv_read_value, log.steps()).is_nil());
  EXPECT_TRUE(log.calls.empty());
  EXPECT_THAT(host::queued_commands(), ElementsAre(kBatchLine));
  EXPECT_THAT(front().messages(), ElementsAre(lang_text(24)));
  EXPECT_EQ(host::reported_problems(), 0);
}

// Files that cannot be loaded are reported and counted; nothing is written for them, so
// the previous drawing can never be output again under another file's name.
TEST_F(BatchRunTest, UnloadableFilesAreReportedAndSkipped) {
  host::am_create_drawing({host::kw("dwg_number"), "VORHER"});
  drawing_file("gut.mi", "G-1", {"1"});
  write("leer.mi", "");
  write("kaputt.bdl", "kein Archiv");
  write("kaputt.mi", "dies ist keine Zeichnung\n");
  set("STORE-DXF-TB", true);
  set("BLATT-ALLE-TB", true);
  StepLog log;

  run_batch_dialog({"fehlt.mi", "leer.mi", "kaputt.bdl", "kaputt.mi", "gut.mi"}, tv_read_value,
                   log.steps());

  EXPECT_THAT(front().output_lines(), ElementsAre("fehlt.mi konnte nicht geladen werden",
                                                  "leer.mi konnte nicht geladen werden"));
  EXPECT_THAT(log.calls, ElementsAre("load_subpart kaputt.mi", "speichern - kaputt.mi mi=0 dxf=1",
                                     "speichern G-1 gut.mi mi=0 dxf=1"));
  EXPECT_EQ(host::reported_problems(), 3) << "two unloadable by size, one broken bundle";
  EXPECT_THAT(front().messages().front(), HasSubstr("kaputt.bdl"));
  EXPECT_THAT(host::queued_commands(), ElementsAre(kBatchLine));
}

// The revision PDF is made with the sheet current that was current after loading.
TEST_F(BatchRunTest, RevisionPdfAfterTheOutputsOnTheSheetCurrentAfterLoading) {
  drawing_file("r.mi", "R-1", {"1", "2", "3"});
  set("STORE-PDF-TB", true);
  set("STORE-AENDERUNG-TB", true);
  set("BLATT-ALLE-TB", true);
  StepLog log;
  run_batch_dialog({"r.mi"}, tv_read_value, log.steps());
  EXPECT_THAT(log.calls, ElementsAre("drucken R-1 r.mi", "aenderung R-1 r.mi sheet=1"));
}

TEST_F(BatchRunTest, ASelectionFieldWithoutANumberRunsNothing) {
  drawing_file("a.mi", "A-1", {"1"});
  set("STORE-MI-TB", true);
  set("BLATT-GROESSER-TB", true);
  type("BLATT-GROESSER-TX", "zwei");
  StepLog log;
  run_batch_dialog({"a.mi"}, tv_read_value, log.steps());
  EXPECT_TRUE(log.calls.empty());
  EXPECT_TRUE(host::queued_commands().empty());
  ASSERT_EQ(front().messages().size(), 1u);
  EXPECT_THAT(front().messages()[0], HasSubstr("BLATT-GROESSER-TX"));
  EXPECT_THAT(front().messages()[0], HasSubstr("\"zwei\""));
  EXPECT_EQ(host::reported_problems(), 1);
  EXPECT_TRUE(host::sd_am_inq_drawing_no().is_nil()) << "nothing was loaded";
}

class NowRunTest : public JobTest {};

TEST_F(NowRunTest, RunsOnTheLoadedDrawingWithoutLoadingOrRevisionPdf) {
  host::am_load_drawing({host::kw("filename"), drawing_file("n.mi", "N-7", {"1", "2"})});
  set("STORE-DXF-TB", true);
  set("DRUCKEN-TB", true);
  set("STORE-AENDERUNG-TB", true);
  set("BLATT-KLEINER-TB", true);
  type("BLATT-KLEINER-TX", "2");
  type("DRUCKER-TX", "HP_A3");
  type("FIRMA-TX", "Schwarz");
  StepLog log;

  run_now_dialog(tv_read_value, log.steps());

  EXPECT_THAT(log.calls, ElementsAre("speichern N-7 N-7 mi=0 dxf=1", "drucken N-7 N-7"));
  const host::List expected_args = {true, "Schwarz", host::Value(), "HP_A3", false,
                                    true, false,     "N-7",         ""};
  EXPECT_EQ(log.drucken_args.front(), expected_args);
  EXPECT_EQ(g().file_ladename, host::Value("N-7"));
  EXPECT_FALSE(g().pdf);
  EXPECT_EQ(g().blatt_selection.op, "<");
  EXPECT_EQ(g().blatt_selection.limit, host::Value(2));
  EXPECT_THAT(host::queued_commands(), ElementsAre(kNowLine));
  EXPECT_EQ(front().messages().back(), lang_text(24));
  EXPECT_EQ(StepLog::current_drawing(), "N-7");
}

TEST_F(NowRunTest, DrawingWithoutNumberGivesNilAsTheFile) {
  set("STORE-PDF-TB", true);
  set("BLATT-ALLE-TB", true);
  StepLog log;
  run_now_dialog(tv_read_value, log.steps());
  ASSERT_EQ(log.drucken_args.size(), 1u);
  EXPECT_TRUE(log.drucken_args[0][7].is_nil());
  EXPECT_TRUE(g().pdf);
}

}  // namespace
}  // namespace tavrin
