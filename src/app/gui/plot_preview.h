// The plot preview: the current sheet on the paper a print or PDF of it would use, drawn by
// the renderer that writes the PDF, with the printed pens.
#pragma once

#include <QDialog>

#include "host/api/front_end.h"

class QLabel;

namespace gui {

class PaperView;

class PlotPreviewWindow : public QDialog {
  Q_OBJECT
 public:
  explicit PlotPreviewWindow(QWidget* parent);
  void show_preview(const host::PaperPreview& preview);
  const host::PaperPreview& preview() const { return preview_; }
  QWidget* paper_view() const;

 private:
  host::PaperPreview preview_;
  QLabel* description_;
  PaperView* paper_;
};

}  // namespace gui
