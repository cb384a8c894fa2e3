#include "../GuiTestSupport.h"

#include "MMainWindow.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "panels/MPanelBase.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPalette>
#include <cmath>
#include <gtest/gtest.h>

namespace {

double Luminance(QRgb rgb)
{
    const auto channel = [](int v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// How well the text of a rendered widget stands out: its background is taken at the right end of
// its middle line (text is left-aligned), its text colour is the pixel of `area` that differs most
// from that background.
double TextContrast(QWidget* widget, const QRect& area)
{
    const QImage image = widget->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QRgb background = image.pixel(int((widget->width() - 4) * ratio), int(widget->height() / 2 * ratio));
    double best = 1.0;
    for (int y = int(area.top() * ratio); y < int(area.bottom() * ratio); ++y) {
        for (int x = int(area.left() * ratio); x < int(area.right() * ratio); ++x)
            best = qMax(best, Contrast(background, image.pixel(x, y)));
    }
    return best;
}

QPalette Palette(QColor base, QColor text, QColor activeHighlight, QColor inactiveHighlight, QColor highlightedText)
{
    QPalette palette = QApplication::palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::Window, base);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::HighlightedText, highlightedText);
    }
    palette.setColor(QPalette::Active, QPalette::Highlight, activeHighlight);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, inactiveHighlight);
    return palette;
}

class FeatureStripTest : public ::testing::Test
{
protected:
    FeatureStripTest()
    {
        GuiApp();
        SetStringTableLanguage(QStringLiteral("en"));
        m_Saved = QApplication::palette();
    }
    ~FeatureStripTest() override { QApplication::setPalette(m_Saved); }

    // The pressed feature's label and a group title, in a window that does not have the focus.
    void ExpectReadable(const QPalette& palette)
    {
        QApplication::setPalette(palette);
        MNotebookNode root;
        MMainWindow window(&root);
        auto* panel = new MPanelBase(QStringLiteral("Export"));
        window.SetPanel(MPanelKind::Export, panel);
        window.show();
        QWidget other; // takes the focus away from the main window
        other.show();
        other.activateWindow();
        QTest::qWait(50);
        ASSERT_TRUE(window.ShowButtonAndPanel(QStringLiteral("btnExportToTxt")));
        EXPECT_FALSE(window.isActiveWindow());
        QAbstractButton* button = window.FeatureButton(QStringLiteral("btnExportToTxt"));
        ASSERT_TRUE(button->isChecked());
        // The label starts after the icon.
        const QRect label(button->iconSize().width() + 12, 0, button->width() / 2, button->height());
        EXPECT_GE(TextContrast(button, label), 4.5) << "the pressed feature's label";
        QAbstractButton* idle = window.FeatureButton(QStringLiteral("btnExportToHtml"));
        EXPECT_GE(TextContrast(idle, QRect(idle->iconSize().width() + 12, 0, idle->width() / 2, idle->height())), 4.5)
            << "a feature that is not pressed";
        QLabel* title = nullptr;
        for (QLabel* candidate : window.findChildren<QLabel*>()) {
            if (candidate->property("groupTitle").toBool())
                title = candidate;
        }
        ASSERT_NE(title, nullptr);
        EXPECT_GE(TextContrast(title, title->rect()), 3.0) << "a group title";
    }

private:
    QPalette m_Saved;
};

} // namespace

TEST_F(FeatureStripTest, ThePressedFeatureReadsWhenTheWindowHasNoFocus)
{
    // A style that pales the highlight of windows without focus but keeps their text white.
    ExpectReadable(
        Palette(Qt::white, QColor(0x20, 0x20, 0x20), QColor(0x30, 0x6c, 0xd8), QColor(0xe4, 0xe4, 0xe4), Qt::white));
}

TEST_F(FeatureStripTest, ThePressedFeatureReadsInADarkPalette)
{
    // A dark palette whose light highlight comes with white highlighted text.
    ExpectReadable(Palette(QColor(0x1e, 0x1f, 0x22), QColor(0xe6, 0xe6, 0xe6), QColor(0x8a, 0xb4, 0xf8),
        QColor(0x3a, 0x3d, 0x44), Qt::white));
}
