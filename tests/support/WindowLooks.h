#pragma once

// The windows as users see them: a screen at 100 % and one at 200 %, a light and a dark palette, fonts of 8, 11 and
// 14 points, in English and in each translation. What a look test checks on a window, and the pictures it leaves in
// the build folder.

#include "Contrast.h"
#include "DesktopPalette.h"
#include "Translations.h"

#include <QTest>
#include <QtWidgets>

#include <memory>

namespace looks {

// The rows of a look test: pixel ratio, dark palette, font size in points, language. The translations, whose
// texts are longer, at the smallest and the largest font.
inline void addRows()
{
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("language");
    for (qreal dpr : {1.0, 2.0})
        for (bool dark : {false, true})
            for (int points : {8, 11, 14})
                QTest::addRow("x%g-%s-%dpt", dpr, dark ? "dark" : "light", points)
                    << dpr << dark << points << QString();
    for (const char* language : {"de", "fr"})
        for (qreal dpr : {1.0, 2.0})
            for (int points : {8, 14})
                QTest::addRow("x%g-%dpt-%s", dpr, points, language) << dpr << false << points << QString(language);
}

// The current row of a look test, applied to the whole application, with the screen of the row's pixel ratio and
// the row's translations while the row lasts; no screen when the row cannot be set up.
struct Row
{
    QScreen* screen;
    qreal dpr;
    int points;
    std::shared_ptr<Translations> texts;
};

inline Row applyRow()
{
    QFETCH(qreal, dpr);
    QFETCH(bool, dark);
    QFETCH(int, points);
    QFETCH(QString, language);
    auto texts = std::make_shared<Translations>(QStringList {language});
    if (texts->language().isEmpty() != language.isEmpty())
        return {nullptr, dpr, points, texts};
    QApplication::setPalette(dark ? DesktopPalette::dark() : QApplication::style()->standardPalette());
    QFont font = QApplication::font();
    font.setPointSize(points);
    QApplication::setFont(font);
    const auto screens = QGuiApplication::screens();
    const auto at = std::find_if(screens.cbegin(), screens.cend(),
                                 [dpr](const QScreen* s) { return qFuzzyCompare(s->devicePixelRatio(), dpr); });
    return {at == screens.cend() ? nullptr : *at, dpr, points, texts};
}

// Shows the window on the row's screen, moved there as a user would when it opens on another; true once it is
// exposed there in the row's font.
inline bool showOn(QWidget& window, const Row& row)
{
    const QPoint spot = row.screen->availableGeometry().topLeft() + QPoint(40, 60);
    window.setScreen(row.screen);
    window.move(spot);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    if (window.screen() != row.screen)
        window.move(spot);
    return QTest::qWaitFor([&] { return window.screen() == row.screen; }) && window.font().pointSize() == row.points;
}

inline bool isControl(const QWidget* w)
{
    const char* const kinds[] = {"QLabel",           "QAbstractButton",   "QComboBox", "QLineEdit",
                                 "QAbstractSpinBox", "QAbstractItemView", "QTabBar",   "Throughput"};
    return std::any_of(std::begin(kinds), std::end(kinds), [w](const char* kind) { return w->inherits(kind); });
}

// The controls a user reads or clicks, without the frames and panes they sit on or the parts they are made of.
inline QList<QWidget*> controls(const QWidget& window)
{
    QList<QWidget*> list;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        bool part = false;
        for (const QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget())
            part = part || isControl(p);
        if (isControl(w) && !part && w->isVisibleTo(&window))
            list.append(w);
    }
    return list;
}

// Where a control's text or picture actually is, in window coordinates: a label's text within its alignment, a
// check box's box and caption, the whole of any other control.
inline QRect inkRect(const QWidget* w, const QWidget& window)
{
    QRect r = w->rect();
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        r = label->fontMetrics().boundingRect(label->contentsRect(), int(label->alignment()), label->text());
    } else if (qobject_cast<const QCheckBox*>(w)) {
        r = QStyle::alignedRect(w->layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter,
                                w->sizeHint().boundedTo(w->size()), w->rect());
    }
    return QRect(w->mapTo(&window, r.topLeft()), r.size());
}

// Every problem a user would see, one line each: a text wider than its control, controls on top of each other,
// a text colour below 4.5:1 on its background.
inline QStringList problems(const QWidget& window)
{
    QStringList found;
    const QList<QWidget*> list = controls(window);
    for (const QWidget* w : list) {
        const QString name = w->objectName();
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            const QStringList lines = label->text().split(QRegularExpression(QStringLiteral("\r?\n")));
            for (const QString& line : lines) {
                if (label->fontMetrics().horizontalAdvance(line) > label->contentsRect().width())
                    found << name + QStringLiteral(" cut: ") + line;
            }
        } else if ((qobject_cast<const QCheckBox*>(w) || qobject_cast<const QComboBox*>(w))
                   && w->sizeHint().width() > w->width()) {
            found << name + QStringLiteral(" cut");
        }
        if (qobject_cast<const QLabel*>(w) || qobject_cast<const QCheckBox*>(w)) {
            const double ratio
                = contrastRatio(w->palette().color(w->foregroundRole()), w->palette().color(w->backgroundRole()));
            if (ratio < 4.5)
                found << name + QStringLiteral(" contrast %1").arg(ratio, 0, 'f', 2);
        }
    }
    for (int i = 0; i < list.size(); ++i) {
        for (int j = i + 1; j < list.size(); ++j) {
            if (inkRect(list[i], window).intersects(inkRect(list[j], window)))
                found << list[i]->objectName() + QStringLiteral(" overlaps ") + list[j]->objectName();
        }
    }
    return found;
}

// Leaves a picture of the window in the build folder, named after the window and the row.
inline void saveShot(QWidget& window, const QString& name)
{
    const QString folder = QStringLiteral(ZOVO_SHOTS_DIR);
    QDir().mkpath(folder);
    const QString file = folder + QLatin1Char('/') + name + QLatin1Char('-') + QTest::currentDataTag() + ".png";
    QVERIFY2(window.grab().save(file), qPrintable(file));
}

} // namespace looks
