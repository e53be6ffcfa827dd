#pragma once

#include <QPixmap>
#include <QString>

// The window's pictures, drawn in code: nothing is loaded from files.
namespace pf::app::pictures {

QPixmap title(QSize size);                         // the Home page's title banner
QPixmap device(const QString& name, QSize size);   // a multi-effects unit: "G5", "G3" or "B3"
QPixmap home(QSize size);                          // the large Home picture: a patch group forged in one pass
QPixmap loadIcon(int side);
QPixmap processIcon(int side);
QPixmap closeIcon(int side);

}  // namespace pf::app::pictures
