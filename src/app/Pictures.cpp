#include "app/Pictures.h"

#include "app/Widgets.h"

#include <QCoreApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace pf::app::pictures {

namespace {

// The words drawn into the pictures go through the translation function like every other text.
QString tr(const char* text) { return QCoreApplication::translate("pictures", text); }

const QColor kNavy(0x14, 0x22, 0x4a);
const QColor kEmber(0xf0, 0x7a, 0x1a);
const QColor kGlow(0xff, 0xc8, 0x4a);

// A transparent picture of `size` in the window's pixels, with `ratio` device pixels to each,
// so that it is drawn sharp on a scaled screen.
QPixmap canvas(QSize size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// An anvil seen from the side, standing on `base` (centre of its foot), `w` wide.
QPainterPath anvilPath(QPointF base, qreal w) {
    const qreal h = w * 0.55;
    const qreal x = base.x() - w / 2, y = base.y() - h;
    QPainterPath path;
    // Face and horn.
    path.moveTo(x + w * 0.18, y);
    path.lineTo(x + w, y);
    path.lineTo(x + w, y + h * 0.22);
    path.lineTo(x + w * 0.78, y + h * 0.30);
    path.quadTo(x + w * 0.66, y + h * 0.34, x + w * 0.64, y + h * 0.55);  // waist
    path.lineTo(x + w * 0.80, y + h * 0.82);
    path.lineTo(x + w * 0.86, y + h);
    path.lineTo(x + w * 0.14, y + h);
    path.lineTo(x + w * 0.20, y + h * 0.82);
    path.lineTo(x + w * 0.36, y + h * 0.55);
    path.quadTo(x + w * 0.34, y + h * 0.34, x + w * 0.26, y + h * 0.30);
    path.quadTo(x + w * 0.05, y + h * 0.26, x, y + h * 0.02);  // horn tip
    path.quadTo(x + w * 0.08, y, x + w * 0.18, y);
    path.closeSubpath();
    return path;
}

void drawSparks(QPainter& p, QPointF centre, qreal radius, int count, unsigned seed) {
    p.save();
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const qreal angle = -M_PI * (0.1 + 0.8 * ((seed >> 8) % 1000) / 1000.0);
        seed = seed * 1103515245u + 12345u;
        const qreal length = radius * (0.45 + 0.55 * ((seed >> 8) % 1000) / 1000.0);
        const QPointF from = centre + QPointF(std::cos(angle), std::sin(angle)) * radius * 0.15;
        const QPointF to = centre + QPointF(std::cos(angle), std::sin(angle)) * length;
        QLinearGradient g(from, to);
        g.setColorAt(0, QColor(255, 250, 210));
        g.setColorAt(0.5, kGlow);
        g.setColorAt(1, QColor(240, 122, 26, 0));
        p.setPen(QPen(QBrush(g), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
    }
    p.restore();
}

void drawKnob(QPainter& p, QPointF c, qreal r, qreal turn, const QColor& cap) {
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
    g.setColorAt(0, cap.lighter(170));
    g.setColorAt(1, cap.darker(160));
    p.setPen(QPen(QColor(0, 0, 0, 140), 1));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    const qreal a = -M_PI * 1.25 + turn * M_PI * 1.5;
    p.setPen(QPen(QColor(250, 250, 250), std::max<qreal>(1.2, r * 0.22), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(std::cos(a), std::sin(a)) * r * 0.25, c + QPointF(std::cos(a), std::sin(a)) * r * 0.85);
}

void drawFootswitch(QPainter& p, QPointF c, qreal r) {
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r * 1.5);
    g.setColorAt(0, QColor(250, 250, 250));
    g.setColorAt(0.6, QColor(170, 175, 185));
    g.setColorAt(1, QColor(90, 95, 105));
    p.setPen(QPen(QColor(40, 40, 45), 1));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.drawEllipse(c, r * 0.6, r * 0.6);
}

void drawLed(QPainter& p, QPointF c, qreal r, const QColor& colour) {
    QRadialGradient g(c, r * 2.2);
    g.setColorAt(0, colour.lighter(160));
    g.setColorAt(0.35, colour);
    g.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r * 2.2, r * 2.2);
}

struct DeviceLook {
    QColor body;
    QColor trim;
    QColor screen;
    QColor screenText;
    int switches;
    int knobs;
    bool pedal;
};

DeviceLook lookFor(const QString& name) {
    if (name == QLatin1String("G5"))
        return {QColor(0x26, 0x28, 0x2e), QColor(0xb8, 0xbe, 0xc8), QColor(0x1c, 0x4a, 0x7a), QColor(0x9c, 0xe0, 0xff), 4,
                8, true};
    if (name == QLatin1String("B3"))
        return {QColor(0x5a, 0x16, 0x1c), QColor(0xd8, 0xb0, 0x6a), QColor(0x2a, 0x3a, 0x22), QColor(0xb8, 0xf0, 0x7a), 3,
                6, false};
    return {QColor(0x2c, 0x3a, 0x52), QColor(0xc0, 0xc8, 0xd4), QColor(0x17, 0x3c, 0x44), QColor(0x7a, 0xf0, 0xe0), 3, 6,
            true};
}

}  // namespace

QPixmap title(QSize size, qreal ratio) {
    QPixmap pixmap = canvas(size, ratio);
    QPainter p(&pixmap);
    prepare(p);
    const QRectF r(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);

    QLinearGradient back(r.topLeft(), r.bottomLeft());
    back.setColorAt(0, QColor(0x2b, 0x3d, 0x6b));
    back.setColorAt(0.55, kNavy);
    back.setColorAt(1, QColor(0x0a, 0x10, 0x24));
    p.setPen(QPen(QColor(0x0a, 0x10, 0x24), 1));
    p.setBrush(back);
    p.drawRoundedRect(r, 8, 8);

    // A warm glow behind the anvil.
    const qreal h = r.height();
    const QPointF anvilBase(r.left() + h * 0.95, r.bottom() - h * 0.16);
    QRadialGradient glow(anvilBase - QPointF(0, h * 0.35), h * 0.9);
    glow.setColorAt(0, QColor(240, 122, 26, 150));
    glow.setColorAt(1, QColor(240, 122, 26, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(r, 8, 8);

    QLinearGradient metal(0, anvilBase.y() - h * 0.5, 0, anvilBase.y());
    metal.setColorAt(0, QColor(0xd6, 0xdc, 0xe6));
    metal.setColorAt(0.3, QColor(0x8a, 0x94, 0xa6));
    metal.setColorAt(1, QColor(0x3a, 0x40, 0x4c));
    p.setBrush(metal);
    p.setPen(QPen(QColor(0x10, 0x14, 0x20), 1));
    const QPainterPath anvil = anvilPath(anvilBase, h * 1.1);
    p.drawPath(anvil);
    drawSparks(p, QPointF(anvilBase.x() + h * 0.15, anvil.boundingRect().top()), h * 0.55, 14, 7);

    // The name, in brushed steel with an ember "2000".
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setItalic(true);
    font.setPixelSize(static_cast<int>(h * 0.46));
    font.setLetterSpacing(QFont::PercentageSpacing, 104);
    p.setFont(font);
    const QString word = QStringLiteral("PRESETFORGER");
    const qreal textX = r.left() + h * 1.75;
    const qreal baseline = r.top() + h * 0.62;
    QPainterPath text;
    text.addText(textX, baseline, font, word);
    QLinearGradient steel(0, baseline - h * 0.4, 0, baseline);
    steel.setColorAt(0, QColor(0xff, 0xff, 0xff));
    steel.setColorAt(0.45, QColor(0xc8, 0xd2, 0xe2));
    steel.setColorAt(0.5, QColor(0x8a, 0x98, 0xb0));
    steel.setColorAt(1, QColor(0xe6, 0xec, 0xf4));
    p.setPen(QPen(QColor(0, 0, 0, 160), 2));
    p.drawPath(text.translated(1.5, 1.5));
    p.setPen(Qt::NoPen);
    p.setBrush(steel);
    p.drawPath(text);

    QFont small = font;
    small.setPixelSize(static_cast<int>(h * 0.3));
    QPainterPath year;
    const qreal wordWidth = text.boundingRect().width();
    year.addText(textX + wordWidth - QFontMetricsF(small).horizontalAdvance(QStringLiteral("2000")),
                 baseline + h * 0.3, small, QStringLiteral("2000"));
    QLinearGradient ember(0, baseline, 0, baseline + h * 0.3);
    ember.setColorAt(0, kGlow);
    ember.setColorAt(1, kEmber);
    p.setBrush(ember);
    p.drawPath(year);

    QFont tag(QStringLiteral("DejaVu Sans"));
    tag.setPixelSize(static_cast<int>(h * 0.17));
    p.setFont(tag);
    p.setPen(QColor(0xa8, 0xb8, 0xd8));
    p.drawText(QPointF(textX + 2, baseline + h * 0.28), tr("patch groups, rewritten in one pass"));
    return pixmap;
}

QPixmap device(const QString& name, QSize size, qreal ratio) {
    QPixmap pixmap = canvas(size, ratio);
    QPainter p(&pixmap);
    prepare(p);
    const DeviceLook look = lookFor(name);
    const qreal W = size.width(), H = size.height();

    // Shadow on the floor.
    QRadialGradient shadow(QPointF(W / 2, H * 0.93), W * 0.5);
    shadow.setColorAt(0, QColor(0, 0, 0, 90));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(W / 2, H * 0.93), W * 0.48, H * 0.07);

    const qreal bodyW = look.pedal ? W * 0.78 : W * 0.9;
    const QRectF body(W * 0.04, H * 0.08, bodyW, H * 0.8);
    QLinearGradient shell(body.topLeft(), body.bottomLeft());
    shell.setColorAt(0, look.body.lighter(150));
    shell.setColorAt(0.12, look.body);
    shell.setColorAt(1, look.body.darker(170));
    p.setPen(QPen(look.body.darker(250), 1.2));
    p.setBrush(shell);
    p.drawRoundedRect(body, H * 0.08, H * 0.08);
    // A trim line between the control panel and the switch deck.
    const qreal deckY = body.top() + body.height() * 0.56;
    p.setPen(QPen(look.trim, 1.4));
    p.drawLine(QPointF(body.left() + 6, deckY), QPointF(body.right() - 6, deckY));

    // Display with the model name.
    const QRectF screen(body.left() + body.width() * 0.06, body.top() + body.height() * 0.1, body.width() * 0.3,
                        body.height() * 0.32);
    QLinearGradient lcd(screen.topLeft(), screen.bottomLeft());
    lcd.setColorAt(0, look.screen.lighter(140));
    lcd.setColorAt(1, look.screen.darker(130));
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.setBrush(lcd);
    p.drawRoundedRect(screen, 2, 2);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(screen.height() * 0.62));
    p.setFont(font);
    p.setPen(look.screenText);
    p.drawText(screen, Qt::AlignCenter, name);

    // Knobs in one row beside the display.
    const qreal knobR = std::min(body.height() * 0.085, (body.width() * 0.56) / (look.knobs * 2.6));
    const qreal knobsLeft = screen.right() + knobR * 2;
    const qreal knobsRight = body.right() - knobR * 1.6;
    for (int i = 0; i < look.knobs; ++i) {
        const qreal x = knobsLeft + (knobsRight - knobsLeft) * i / std::max(1, look.knobs - 1);
        drawKnob(p, QPointF(x, screen.center().y()), knobR, 0.2 + 0.6 * ((i * 37) % 10) / 10.0, look.trim);
    }

    // Footswitches with their lamps.
    const qreal swR = std::min(body.height() * 0.11, body.width() / (look.switches * 3.2));
    for (int i = 0; i < look.switches; ++i) {
        const qreal x = body.left() + body.width() * (i + 0.5) / look.switches;
        const QPointF c(x, deckY + (body.bottom() - deckY) * 0.58);
        drawFootswitch(p, c, swR);
        drawLed(p, QPointF(x, deckY + (body.bottom() - deckY) * 0.16), swR * 0.16,
                i == 1 ? QColor(60, 230, 90) : QColor(230, 40, 40));
    }

    // An expression pedal on the right.
    if (look.pedal) {
        const QRectF pedal(body.right() + W * 0.02, body.top() + body.height() * 0.06, W * 0.14, body.height() * 0.9);
        QLinearGradient pg(pedal.topLeft(), pedal.topRight());
        pg.setColorAt(0, look.body.darker(140));
        pg.setColorAt(0.5, look.body.lighter(130));
        pg.setColorAt(1, look.body.darker(160));
        p.setPen(QPen(look.body.darker(250), 1.2));
        p.setBrush(pg);
        p.drawRoundedRect(pedal, 4, 4);
        p.setPen(QPen(QColor(0, 0, 0, 110), 1));
        for (qreal y = pedal.top() + 6; y < pedal.bottom() - 4; y += 4)
            p.drawLine(QPointF(pedal.left() + 4, y), QPointF(pedal.right() - 4, y));
    }
    return pixmap;
}

QPixmap home(QSize size, qreal ratio) {
    QPixmap pixmap = canvas(size, ratio);
    QPainter p(&pixmap);
    prepare(p);
    const qreal W = size.width(), H = size.height();
    const QRectF frame(0.5, 0.5, W - 1, H - 1);

    QLinearGradient back(frame.topLeft(), frame.bottomLeft());
    back.setColorAt(0, kHoverFill);  // the flat buttons' light blues: the picture sits with them
    back.setColorAt(1, kPressedFill);
    p.setPen(QPen(kHoverBorder, 1));
    p.setBrush(back);
    p.drawRoundedRect(frame, 8, 8);

    // A stack of patch sheets, before and after.
    auto drawStack = [&](QPointF origin, bool forged) {
        const qreal sw = W * 0.24, sh = H * 0.62;
        for (int i = 3; i >= 0; --i) {
            const QRectF sheet(origin.x() + i * 5, origin.y() - i * 5, sw, sh);
            p.setPen(QPen(QColor(0x6a, 0x7a, 0x98), 1));
            p.setBrush(i == 0 ? QColor(255, 255, 255) : QColor(0xf4, 0xf6, 0xfa));
            p.drawRoundedRect(sheet, 3, 3);
            if (i != 0) continue;
            QFont f(QStringLiteral("DejaVu Sans Mono"));
            f.setPixelSize(static_cast<int>(sh * 0.085));
            p.setFont(f);
            const qreal lineH = sh * 0.115;
            for (int line = 0; line < 7; ++line) {
                const qreal y = sheet.top() + lineH * (line + 1.1);
                const bool edited = forged && (line == 2 || line == 4 || line == 5);
                if (edited) {
                    p.setPen(Qt::NoPen);
                    p.setBrush(QColor(255, 200, 74, 110));
                    p.drawRect(QRectF(sheet.left() + 3, y - lineH * 0.78, sw - 6, lineH * 0.95));
                }
                p.setPen(edited ? QColor(0xb0, 0x4a, 0x00) : QColor(0x44, 0x55, 0x77));
                static const char* const kLines[] = {"<Module2>", " <Prm0>1", " <Prm1>27", " <Prm2>50",
                                                     " <Prm3>64", " <Prm4>75", " <Prm5>12"};
                QString text = QString::fromLatin1(kLines[line]);
                if (edited) text = QString::fromLatin1(line == 2 ? " <Prm2>60" : line == 4 ? " <Prm4>90" : " <Prm5>40");
                p.drawText(QPointF(sheet.left() + 5, y), text);
            }
        }
    };
    drawStack(QPointF(W * 0.04, H * 0.26), false);
    drawStack(QPointF(W * 0.69, H * 0.26), true);

    // The forge between them: an anvil under a glow, with sparks, and arrows through it.
    const QPointF anvilBase(W * 0.5, H * 0.8);
    QRadialGradient glow(anvilBase - QPointF(0, H * 0.25), H * 0.5);
    glow.setColorAt(0, QColor(255, 160, 40, 170));
    glow.setColorAt(1, QColor(255, 160, 40, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(anvilBase - QPointF(0, H * 0.25), H * 0.5, H * 0.45);

    QLinearGradient metal(0, anvilBase.y() - H * 0.3, 0, anvilBase.y());
    metal.setColorAt(0, QColor(0x9a, 0xa4, 0xb6));
    metal.setColorAt(0.25, QColor(0x5a, 0x64, 0x76));
    metal.setColorAt(1, QColor(0x22, 0x28, 0x34));
    p.setPen(QPen(QColor(0x10, 0x14, 0x20), 1));
    p.setBrush(metal);
    const QPainterPath anvil = anvilPath(anvilBase, W * 0.24);
    p.drawPath(anvil);
    const QRectF top = anvil.boundingRect();
    // A hot sheet on the anvil face.
    QLinearGradient hot(top.left(), 0, top.right(), 0);
    hot.setColorAt(0, kEmber);
    hot.setColorAt(0.5, kGlow);
    hot.setColorAt(1, kEmber);
    p.setPen(Qt::NoPen);
    p.setBrush(hot);
    p.drawRoundedRect(QRectF(top.left() + top.width() * 0.3, top.top() - 5, top.width() * 0.55, 5), 2, 2);
    drawSparks(p, QPointF(top.center().x() + top.width() * 0.08, top.top() - 5), H * 0.42, 22, 11);

    // Hammer, raised.
    p.save();
    p.translate(top.center().x() + top.width() * 0.32, top.top() - H * 0.2);
    p.rotate(-28);
    QLinearGradient handle(-3, 0, 3, 0);
    handle.setColorAt(0, QColor(0x7a, 0x4a, 0x22));
    handle.setColorAt(1, QColor(0xb0, 0x74, 0x3a));
    p.setBrush(handle);
    p.setPen(QPen(QColor(0x40, 0x24, 0x10), 1));
    p.drawRoundedRect(QRectF(-3, -4, 6, H * 0.34), 2, 2);
    QLinearGradient head(0, -14, 0, 4);
    head.setColorAt(0, QColor(0xd0, 0xd6, 0xe0));
    head.setColorAt(1, QColor(0x4a, 0x52, 0x60));
    p.setBrush(head);
    p.setPen(QPen(QColor(0x10, 0x14, 0x20), 1));
    p.drawRoundedRect(QRectF(-16, -14, 32, 14), 2, 2);
    p.restore();

    // Arrows: in, and out.
    auto arrow = [&](QPointF from, QPointF to) {
        p.setPen(QPen(kNavy, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
        const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
        const QPointF n(-d.y(), d.x());
        QPolygonF head;
        head << to + d * 4 << to - d * 7 + n * 6 << to - d * 7 - n * 6;
        p.setBrush(kNavy);
        p.setPen(Qt::NoPen);
        p.drawPolygon(head);
    };
    arrow(QPointF(W * 0.32, H * 0.5), QPointF(W * 0.37, H * 0.5));
    arrow(QPointF(W * 0.63, H * 0.5), QPointF(W * 0.675, H * 0.5));

    QFont label(QStringLiteral("DejaVu Sans"));
    label.setPixelSize(static_cast<int>(H * 0.085));
    label.setBold(true);
    p.setFont(label);
    p.setPen(kNavy);
    p.drawText(QRectF(0, H * 0.86, W * 0.34, H * 0.12), Qt::AlignCenter, tr("every patch"));
    p.drawText(QRectF(W * 0.33, H * 0.86, W * 0.34, H * 0.12), Qt::AlignCenter, tr("one pass"));
    p.drawText(QRectF(W * 0.66, H * 0.86, W * 0.34, H * 0.12), Qt::AlignCenter, tr("every change"));
    p.setPen(kSteelGrey);
    QFont head2 = label;
    head2.setBold(false);
    p.setFont(head2);
    p.drawText(QRectF(0, H * 0.02, W, H * 0.12), Qt::AlignCenter, tr("Load \u2192 tick \u2192 Process \u2192 Save"));
    return pixmap;
}

QPixmap loadIcon(int side, qreal ratio) {
    QPixmap pixmap = canvas(QSize(side, side), ratio);
    QPainter p(&pixmap);
    prepare(p);
    const qreal s = side;
    // Folder.
    QLinearGradient g(0, s * 0.25, 0, s * 0.9);
    g.setColorAt(0, QColor(0xff, 0xd8, 0x6a));
    g.setColorAt(1, QColor(0xe0, 0x98, 0x20));
    QPainterPath folder;
    folder.moveTo(s * 0.06, s * 0.28);
    folder.lineTo(s * 0.38, s * 0.28);
    folder.lineTo(s * 0.46, s * 0.36);
    folder.lineTo(s * 0.94, s * 0.36);
    folder.lineTo(s * 0.94, s * 0.88);
    folder.lineTo(s * 0.06, s * 0.88);
    folder.closeSubpath();
    p.setPen(QPen(QColor(0x8a, 0x58, 0x08), 1.2));
    p.setBrush(g);
    p.drawPath(folder);
    // A patch sheet coming out of it, and an arrow upwards.
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x6a, 0x7a, 0x98), 1));
    p.drawRect(QRectF(s * 0.22, s * 0.1, s * 0.5, s * 0.42));
    p.setPen(QPen(QColor(0x44, 0x55, 0x77), 1));
    for (int i = 0; i < 3; ++i) p.drawLine(QPointF(s * 0.28, s * (0.2 + i * 0.09)), QPointF(s * 0.64, s * (0.2 + i * 0.09)));
    QLinearGradient front(0, s * 0.45, 0, s * 0.9);
    front.setColorAt(0, QColor(0xff, 0xe4, 0x8a));
    front.setColorAt(1, QColor(0xf0, 0xa8, 0x30));
    p.setPen(QPen(QColor(0x8a, 0x58, 0x08), 1.2));
    p.setBrush(front);
    QPolygonF flap;
    flap << QPointF(s * 0.14, s * 0.46) << QPointF(s * 0.98, s * 0.46) << QPointF(s * 0.9, s * 0.88)
         << QPointF(s * 0.06, s * 0.88);
    p.drawPolygon(flap);
    return pixmap;
}

QPixmap processIcon(int side, qreal ratio) {
    QPixmap pixmap = canvas(QSize(side, side), ratio);
    QPainter p(&pixmap);
    prepare(p);
    const qreal s = side;
    QRadialGradient glow(QPointF(s * 0.5, s * 0.55), s * 0.5);
    glow.setColorAt(0, QColor(255, 170, 50, 160));
    glow.setColorAt(1, QColor(255, 170, 50, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(s * 0.5, s * 0.55), s * 0.5, s * 0.45);
    QLinearGradient metal(0, s * 0.45, 0, s * 0.95);
    metal.setColorAt(0, QColor(0xb8, 0xc0, 0xcc));
    metal.setColorAt(1, QColor(0x30, 0x36, 0x44));
    p.setPen(QPen(QColor(0x10, 0x14, 0x20), 1));
    p.setBrush(metal);
    p.drawPath(anvilPath(QPointF(s * 0.5, s * 0.94), s * 0.9));
    drawSparks(p, QPointF(s * 0.56, s * 0.47), s * 0.42, 9, 3);
    return pixmap;
}

QPixmap closeIcon(int side, qreal ratio) {
    QPixmap pixmap = canvas(QSize(side, side), ratio);
    QPainter p(&pixmap);
    prepare(p);
    const qreal s = side;
    QRadialGradient g(QPointF(s * 0.4, s * 0.35), s * 0.6);
    g.setColorAt(0, QColor(0xff, 0x8a, 0x7a));
    g.setColorAt(1, QColor(0xb0, 0x1a, 0x12));
    p.setPen(QPen(QColor(0x6a, 0x0a, 0x06), 1.2));
    p.setBrush(g);
    p.drawEllipse(QPointF(s / 2, s / 2), s * 0.42, s * 0.42);
    p.setPen(QPen(Qt::white, s * 0.11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.35, s * 0.35), QPointF(s * 0.65, s * 0.65));
    p.drawLine(QPointF(s * 0.65, s * 0.35), QPointF(s * 0.35, s * 0.65));
    return pixmap;
}

QIcon icon(QPixmap (*draw)(int, qreal), int side) {
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) icon.addPixmap(draw(side, ratio));
    return icon;
}

}  // namespace pf::app::pictures
