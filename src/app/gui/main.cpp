// `tavrin-gui`: the desktop host. It starts the host, shows the main window, loads the module
// through its entry and opens the drawings named on the command line.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <charconv>
#include <iostream>

#include "gui_session.h"
#include "host/api/dwg.h"
#include "main_window.h"

namespace {

// Parsed before the window exists, so --help works without a display too.
bool parse(QCommandLineParser& parser, const QStringList& args, gui::Options& options,
           QStringList& files) {
  parser.setApplicationDescription(
      "tavrin-gui: plots, PDF files and exchange files from 2D drawings, at a desktop.\n"
      "It shows the current sheet (wheel zooms, dragging pans, F zooms to the extent), the\n"
      "sheet list, the output box and the module's ribbon. Drawings and folders can be\n"
      "dropped onto the window; a folder opens the directory run for it.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption({"path", "Installation directory (TAVRIN_PATH).", "dir"});
  parser.addOption({"admin", "Run as administrator (TAVRIN_ADMIN)."});
  parser.addOption({"host-version", "Host major version: 18 and later show the ribbon.", "n"});
  parser.addPositionalArgument("drawing", "Drawings to open (.mi, .dxf, .dwg, .bdl).",
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
    std::cout << parser.helpText().replace("<executable_name>", "tavrin-gui").toStdString();
    return 0;
  }
  if (!ok) return 2;

  QApplication app(argc, argv);
  QApplication::setOrganizationName("tavrin");
  QApplication::setApplicationName("tavrin-gui");
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
