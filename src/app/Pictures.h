#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The window's pictures, drawn in code: nothing is loaded from files. Sizes are in the window's
// pixels; `ratio` device pixels go to each (the screen's scale, 2 on a screen at 200%).
namespace pf::app::pictures {

QPixmap title(QSize size, qreal ratio = 1);                        // the Home page's title banner
QPixmap device(const QString& name, QSize size, qreal ratio = 1);  // a multi-effects unit: "G5", "G3" or "B3"
QPixmap home(QSize size, qreal ratio = 1);  // the large Home picture: a patch group forged in one pass
QPixmap loadIcon(int side, qreal ratio = 1);
QPixmap processIcon(int side, qreal ratio = 1);
QPixmap closeIcon(int side, qreal ratio = 1);
// A button picture drawn by `draw` for plain and for doubled screens.
QIcon icon(QPixmap (*draw)(int, qreal), int side);

}  // namespace pf::app::pictures
