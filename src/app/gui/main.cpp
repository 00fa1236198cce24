// `tavrin-gui`: the desktop host. It starts the host, shows the main window, loads the module
// through its entry and opens the drawings named on the command line.
#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <charconv>
#include <iostream>

#include "gui_session.h"
#include "host/api/dwg.h"
#include "main_window.h"
#include "gui_text.h"

namespace {

// Parsed before the window exists, so --help works without a display too.
bool parse(QCommandLineParser& parser, const QStringList& args, gui::Options& options,
           QStringList& files) {
  parser.setApplicationDescription(
      qtr("tavrin-gui: plots, PDF files and exchange files from 2D drawings, at a desktop.\n"
      "It shows the current sheet (wheel zooms, dragging pans, F zooms to the extent), the\n"
      "sheet list, the output box and the module's ribbon. Drawings and folders can be\n"
      "dropped onto the window; a folder opens the directory run for it.\n"
      "TAVRIN_LANGUAGE (de, en, or C for the texts as written) chooses the language of every\n"
      "text; without it the locale does (LC_ALL, LC_MESSAGES, LANG)."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption({"path", qtr("Installation directory (TAVRIN_PATH)."), "dir"});
  parser.addOption({"admin", qtr("Run as administrator (TAVRIN_ADMIN).")});
  parser.addOption({"host-version", qtr("Host major version: 18 and later show the ribbon."), "n"});
  parser.addPositionalArgument("drawing", qtr("Drawings to open (.mi, .dxf, .dwg, .bdl)."),
                               "[drawing...]");
  if (!parser.parse(args)) {
    std::cerr << parser.errorText().toStdString() << "\n";
    return false;
  }
  options.path = parser.value("path").toStdString();
  options.admin = parser.isSet("admin");
  if (parser.isSet("host-version")) {
    const std::string text = parser.value("host-version").toStdString();
    int n = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || p != text.data() + text.size()) {
      std::cerr << "--host-version wants a whole number, not " << text << "\n";
      return false;
    }
    options.host_version = n;
  }
  files = parser.positionalArguments();
  return true;
}

// QCommandLineParser writes its own headings and the texts of -h and -v; they follow the run's
// language too (Qt's translations are not loaded yet, and may not be installed at all).
QString help_text(const QCommandLineParser& parser) {
  QString text = parser.helpText().replace("<executable_name>", "tavrin-gui");
  for (const char* english : {N_("Usage:"), N_("Options:"), N_("Arguments:"),
                              N_("Displays help on commandline options."),
                              N_("Displays help including Qt specific options."),
                              N_("Displays version information.")}) {
    text.replace(QString::fromUtf8(english), qtr(english));
  }
  return text;
}

// Qt's standard dialogs (file choosers, message box buttons) in German for a German run, from
// the translations Debian ships in qt6-translations-l10n; without them they stay English.
void load_qt_translations(QApplication& app) {
  if (host::run_language() != host::Language::de) return;
  auto* qt = new QTranslator(&app);
  if (qt->load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(qt);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setApplicationVersion(TAVRIN_VERSION);
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  gui::Options options;
  QStringList files;
  const bool ok = parse(parser, args, options, files);
  if (args.contains("--version") || args.contains("-v")) {
    std::cout << "tavrin-gui " << TAVRIN_VERSION << "\n"
              << host::dwg_converter_description() << "\n";
    return 0;
  }
  if (args.contains("--help") || args.contains("-h")) {
    std::cout << help_text(parser).toStdString();
    return 0;
  }
  if (!ok) return 2;

  QApplication app(argc, argv);
  QApplication::setOrganizationName("tavrin");
  QApplication::setApplicationName("tavrin-gui");
  load_qt_translations(app);
  host::apply_start_options(options);
  gui::MainWindow window;
  window.show();
  try {
    gui::load_module(host::module_path());
  } catch (const std::exception& e) {
    QMessageBox::critical(&window, "Annotation", e.what());
    return 2;
  }
  window.build_module_ui();
  for (const auto& f : files) window.open_drawing(f);
  return app.exec();
}
