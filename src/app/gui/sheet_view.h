// The current sheet drawn by the host's own renderer (the one that writes the PDFs), with
// wheel zoom, drag pan and fit; a click answers a pending point input. The background is
// dark, as the host's colours expect, or light with white drawn as black.
#pragma once

#include <QColor>
#include <QPointF>
#include <QWidget>

namespace gui {

class SheetView : public QWidget {
  Q_OBJECT
 public:
  explicit SheetView(QWidget* parent = nullptr);
  void fit();
  bool light() const { return light_; }
  void set_light(bool light);
  QColor background() const;
  // Drawing coordinates (millimetres, y up) of a widget position.
  QPointF to_drawing(QPointF widget_pos) const;
  double scale() const { return scale_; }  // pixels per millimetre

 signals:
  void point_clicked(double x, double y);

 protected:
  void paintEvent(QPaintEvent*) override;
  void wheelEvent(QWheelEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  bool fitted_ = false;
  bool zoomed_ = false;  // wheel or drag since the last fit
  bool light_ = false;
  double scale_ = 1;  // pixels per millimetre
  QPointF offset_;    // widget position of the drawing origin
  QPointF press_, last_;
  bool dragging_ = false;
};

}  // namespace gui
