// The window controls: image button states and sizes, colour combo entries, typed column
// sorting with its second-click reversal, the step spin box and the link label.
#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QHeaderView>
#include <QTest>

#include "ui/color_combo_box.h"
#include "ui/image_button.h"
#include "ui/link_label.h"
#include "ui/sort_list_ctrl.h"
#include "ui/step_spin_ctrl.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

void Hover(QWidget& widget, bool on) {
    if (on) {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(&widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&widget, &leave);
    }
}

QPixmap Picture(int width, int height, QColor color) {
    QPixmap picture(width, height);
    picture.fill(color);
    return picture;
}

TEST(ImageButtonTest, FlatBorderFollowsHoverAndPress) {
    ImageButton button(QStringLiteral("Go"));
    ASSERT_EQ(button.SetBitmaps(Picture(40, 20, Qt::red), Picture(40, 20, Qt::blue), true, false), 1);

    ImageButton::Look look = button.CurrentLook();
    EXPECT_EQ(look.border, ImageButton::Border::None);
    EXPECT_FALSE(look.shifted);
    EXPECT_EQ(look.image, ImageButton::Image::Normal);
    EXPECT_EQ(look.contentRect, QRect(1, 1, 41, 21));  // shrunk even without a drawn border

    Hover(button, true);
    look = button.CurrentLook();
    EXPECT_TRUE(button.IsHovering());
    EXPECT_EQ(look.border, ImageButton::Border::Raised);
    EXPECT_EQ(look.image, ImageButton::Image::Hover);

    button.setDown(true);
    look = button.CurrentLook();
    EXPECT_EQ(look.border, ImageButton::Border::Sunken);
    EXPECT_TRUE(look.shifted);
    EXPECT_EQ(look.contentRect.topLeft(), QPoint(2, 2));

    // Pressed without the mouse over it (dragged off while held) stays sunken.
    Hover(button, false);
    EXPECT_EQ(button.CurrentLook().border, ImageButton::Border::Sunken);
    button.setDown(false);
    EXPECT_EQ(button.CurrentLook().border, ImageButton::Border::None);
    EXPECT_EQ(button.CurrentLook().image, ImageButton::Image::Normal);

    button.SetFlatLook(false, false);
    EXPECT_EQ(button.CurrentLook().border, ImageButton::Border::Raised);
}

TEST(ImageButtonTest, HoverImageOnlyWhenEnabledAndPresent) {
    ImageButton button;
    button.SetBitmaps(Picture(10, 10, Qt::red), QPixmap(), false, false);
    Hover(button, true);
    EXPECT_EQ(button.CurrentLook().image, ImageButton::Image::Normal);

    button.SetBitmaps(Picture(10, 10, Qt::red), Picture(10, 10, Qt::blue), false, false);
    EXPECT_EQ(button.CurrentLook().image, ImageButton::Image::Hover);
    button.setEnabled(false);
    EXPECT_EQ(button.CurrentLook().image, ImageButton::Image::Normal);
    EXPECT_EQ(button.CurrentLook().textColor, button.palette().color(QPalette::Disabled, QPalette::WindowText));
}

TEST(ImageButtonTest, SizesFollowImageBorderAndShift) {
    ImageButton button;
    button.move(30, 40);
    QPixmap icon = Picture(16, 16, Qt::green);
    // Border and pressed shift: three pixels more each way, top-left corner kept.
    ASSERT_EQ(button.SetIcons(QIcon(icon), QIcon(), true, false), 1);
    EXPECT_EQ(button.size(), QSize(19, 19));
    EXPECT_EQ(button.pos(), QPoint(30, 40));

    button.SetBorder(false, false);
    button.SetBitmaps(Picture(106, 26, Qt::white), QPixmap(), true, false);
    EXPECT_EQ(button.size(), QSize(107, 27));
    button.SetPressedOffset(false, false);
    button.SetBitmaps(Picture(50, 10, Qt::white), QPixmap(), true, false);
    EXPECT_EQ(button.size(), QSize(50, 10));

    // Without resize the size stays; a null image is refused and changes nothing.
    button.SetBitmaps(Picture(8, 8, Qt::white), QPixmap(), false, false);
    EXPECT_EQ(button.size(), QSize(50, 10));
    EXPECT_EQ(button.SetIcons(QIcon(), QIcon(), true, false), 0);
    EXPECT_EQ(button.SetBitmaps(QPixmap(), QPixmap(), true, false), 0);
    EXPECT_EQ(button.ImageSize(), QSize(8, 8));
}

TEST(ImageButtonTest, TextColours) {
    ImageButton button(QStringLiteral("&Convert"));
    button.SetTextColors(QColor(53, 53, 53), QColor(), false);
    EXPECT_EQ(button.HoverTextColor(), QColor(53, 53, 53));
    button.SetTextColors(QColor(0, 0, 255), QColor(255, 0, 0), false);
    EXPECT_EQ(button.CurrentLook().textColor, QColor(0, 0, 255));
    Hover(button, true);
    EXPECT_EQ(button.CurrentLook().textColor, QColor(255, 0, 0));
    // Painting every state must not fail, transparent over a background picture included.
    button.resize(80, 24);
    button.SetBackgroundBitmap(Picture(200, 100, Qt::yellow), false);
    for (bool down : {false, true}) {
        button.setDown(down);
        EXPECT_FALSE(button.grab().isNull());
    }
}

TEST(ColorComboBoxTest, EntriesKeepTextColoursAndPointers) {
    ColorComboBox box;
    int a = 1, b = 2;
    EXPECT_EQ(box.AddItem(QStringLiteral("first"), Qt::red, Qt::white), 0);
    EXPECT_EQ(box.AddItem(QStringLiteral("last"), Qt::blue, Qt::white), 1);
    EXPECT_EQ(box.InsertItem(1, QStringLiteral("middle"), QColor(0x88, 0, 0x88), Qt::yellow), 1);
    EXPECT_EQ(box.itemText(2), QStringLiteral("last"));
    EXPECT_EQ(box.ItemTextColor(1), QColor(0x88, 0, 0x88));
    EXPECT_EQ(box.ItemBackColor(1), QColor(Qt::yellow));
    EXPECT_EQ(box.ItemTextColor(2), QColor(Qt::blue));

    EXPECT_EQ(box.GetItemUser(0), nullptr);
    EXPECT_EQ(box.SetItemUser(0, &a), 0);
    EXPECT_EQ(box.SetItemUser(2, &b), 0);
    EXPECT_EQ(box.SetItemUser(3, &b), -1);
    EXPECT_EQ(box.GetItemUser(7), nullptr);

    box.DeleteItem(1);
    EXPECT_EQ(box.count(), 2);
    EXPECT_EQ(box.GetItemUser(0), &a);
    EXPECT_EQ(box.GetItemUser(1), &b);
    EXPECT_EQ(box.ItemTextColor(1), QColor(Qt::blue));
}

struct SortCase {
    int type;
    QStringList texts;      // in list order before sorting
    QStringList ascending;  // expected order after one click
};

// Test lists show the case by its texts, not as raw bytes.
void PrintTo(const SortCase& c, std::ostream* out) {
    *out << "type " << c.type << ": " << c.texts.join(", ").toStdString();
}

class SortTypesTest : public testing::TestWithParam<SortCase> {};

TEST_P(SortTypesTest, SortsAscendingThenReversesOnSecondClick) {
    const SortCase& c = GetParam();
    SortListCtrl list;
    list.setColumnCount(2);
    list.SetColumnSortType(1, c.type);
    std::vector<int> tags(c.texts.size());
    for (int i = 0; i < c.texts.size(); ++i) {
        tags[i] = i;
        const int row = list.InsertItem(-1, QString::number(i), &tags[i]);
        list.SetItemText(row, 1, c.texts[i]);
    }
    QStringList order;
    auto column = [&] {
        QStringList texts;
        for (int row = 0; row < list.ItemCount(); ++row) {
            texts << list.ItemText(row, 1);
            // The row's pointer travels with it.
            EXPECT_EQ(c.texts[*static_cast<int*>(list.GetItemUser(row))], list.ItemText(row, 1));
        }
        return texts;
    };

    Q_EMIT list.header()->sectionClicked(1);
    EXPECT_EQ(column(), c.ascending);
    EXPECT_TRUE(list.SortedAscending());

    Q_EMIT list.header()->sectionClicked(1);
    QStringList reversed = c.ascending;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(column(), reversed);
    EXPECT_FALSE(list.SortedAscending());
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, SortTypesTest,
    testing::Values(
        SortCase{SortText, {"banana", "Apple", "cherry"}, {"Apple", "banana", "cherry"}},
        SortCase{SortNumber,
                 {"44100 Hz*2", "8000 Hz", "22050 Hz", "128 kbps"},
                 {"128 kbps", "8000 Hz", "22050 Hz", "44100 Hz*2"}},
        SortCase{SortSize, {"1.2 M", "900 K", "3G", "512"}, {"512", "900 K", "1.2 M", "3G"}},
        SortCase{
            SortDateHyphen, {"2024-03-01", "2023-12-31", "2024-02-15"}, {"2023-12-31", "2024-02-15", "2024-03-01"}},
        SortCase{SortDateSlash, {"03/01/2024", "12/31/2023", "02/15/2024"}, {"12/31/2023", "02/15/2024", "03/01/2024"}},
        SortCase{SortDuration,
                 {"0:02:00", "1:00:00", "1:05", "90", "09:59"},
                 {"1:05", "90", "0:02:00", "09:59", "1:00:00"}}));

TEST(SortListCtrlTest, DifferentHeaderStartsAscendingAgain) {
    SortListCtrl list;
    list.setColumnCount(2);
    list.SetColumnSortType(0, SortNumber);
    list.SetColumnSortType(1, SortNumber);
    const int rows[][2] = {{3, 1}, {1, 3}, {2, 2}};
    for (const auto& r : rows) {
        const int row = list.InsertItem(-1, QString::number(r[0]), nullptr);
        list.SetItemText(row, 1, QString::number(r[1]));
    }
    int sortedSignals = 0;
    QObject::connect(&list, &SortListCtrl::Sorted, [&](int) { ++sortedSignals; });
    Q_EMIT list.header()->sectionClicked(0);
    Q_EMIT list.header()->sectionClicked(0);
    EXPECT_EQ(list.ItemText(0, 0), QStringLiteral("3"));
    Q_EMIT list.header()->sectionClicked(1);
    EXPECT_TRUE(list.SortedAscending());
    EXPECT_EQ(list.SortedColumn(), 1);
    EXPECT_EQ(list.ItemText(0, 1), QStringLiteral("1"));
    EXPECT_EQ(sortedSignals, 3);
}

TEST(SortListCtrlTest, ComparisonEdgeRules) {
    // Dates without two separators are equal to anything.
    EXPECT_EQ(CompareSortTexts(SortDateHyphen, QStringLiteral("2024-01"), QStringLiteral("1999-01-01")), 0);
    EXPECT_EQ(CompareSortTexts(SortDateSlash, QStringLiteral("1/2/2000"), QStringLiteral("bad")), 0);
    // Negative fields count as 0; minutes and seconds stop at 59.
    EXPECT_EQ(CompareSortTexts(SortDuration, QStringLiteral("-5:10"), QStringLiteral("0:10")), 0);
    EXPECT_EQ(CompareSortTexts(SortDuration, QStringLiteral("0:75"), QStringLiteral("0:59")), 0);
    EXPECT_LT(CompareSortTexts(SortDuration, QStringLiteral("59:59"), QStringLiteral("1:00:00")), 0);
    // Text that is no number reads as 0; unknown sort types compare text.
    EXPECT_LT(CompareSortTexts(SortNumber, QStringLiteral("n/a"), QStringLiteral("0.5")), 0);
    EXPECT_LT(CompareSortTexts(77, QStringLiteral("a"), QStringLiteral("b")), 0);
    EXPECT_EQ(CompareSortTexts(SortSize, QStringLiteral("1 k"), QStringLiteral("1024")), 0);
    EXPECT_GT(CompareSortTexts(SortSize, QStringLiteral("1 T"), QStringLiteral("1000 G")), 0);

    SortListCtrl list;
    list.SetColumnSortType(100, SortNumber);
    EXPECT_EQ(list.ColumnSortType(100), SortText);
}

TEST(StepSpinCtrlTest, StepsAndRefusals) {
    StepSpinCtrl spin;
    spin.setRange(0, 100);
    EXPECT_EQ(spin.SetStep(100), 0);  // equal to the span
    EXPECT_EQ(spin.Step(), 1);
    EXPECT_EQ(spin.SetStep(0), 0);
    EXPECT_EQ(spin.SetStep(10), 1);
    spin.setValue(50);
    spin.stepBy(3);  // a bigger request still moves one step
    EXPECT_EQ(spin.value(), 60);
    spin.stepBy(-7);
    EXPECT_EQ(spin.value(), 50);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.value(), 60);
}

TEST(LinkLabelTest, HoverLooksAndLeaving) {
    LinkLabel label(QStringLiteral("Visit"));
    label.SetTarget(QStringLiteral("https://example.org/"));
    EXPECT_EQ(label.toolTip(), QStringLiteral("https://example.org/"));
    EXPECT_EQ(label.CurrentColor(), QColor(0, 0, 238));
    EXPECT_FALSE(label.IsUnderlined());
    Hover(label, true);
    EXPECT_TRUE(label.IsHovering());
    EXPECT_TRUE(label.IsUnderlined());
    EXPECT_EQ(label.CurrentColor(), QColor(255, 0, 0));
    Hover(label, false);
    EXPECT_FALSE(label.IsHovering());
    EXPECT_FALSE(label.IsUnderlined());

    label.SetUnderlineMode(LinkLabel::UnderlineAlways);
    EXPECT_TRUE(label.IsUnderlined());
    Hover(label, true);
    Hover(label, false);
    EXPECT_TRUE(label.IsUnderlined());
    label.SetUnderlineMode(LinkLabel::UnderlineNever);
    Hover(label, true);
    EXPECT_FALSE(label.IsUnderlined());
}

TEST(LinkLabelTest, HoverEndsByTimerWhenTheLeaveIsLost) {
    LinkLabel label(QStringLiteral("Visit"));
    label.move(-500, -500);  // the pointer is surely elsewhere
    Hover(label, true);
    ASSERT_TRUE(label.IsHovering());
    QTest::qWait(250);
    EXPECT_FALSE(label.IsHovering());
}

TEST(LinkLabelTest, ClickOpensTargetOrReportsWhy) {
    test::RecordingServices& services = test::Recorder();
    services.Reset();
    LinkLabel label(QStringLiteral("Support"));
    label.SetTarget(QStringLiteral("mailto:someone@example.org"));

    services.openResult = kOpenNoAssociation;
    label.OnClick();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(services.messages[0].text,
              QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                             "with the given filename extension."));
    EXPECT_FALSE(label.IsVisited());
    EXPECT_EQ(label.CurrentColor(), QColor(0, 0, 238));

    services.openResult = kOpenSucceeded;
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(services.opened.size(), 2);
    EXPECT_EQ(services.opened.last(), QStringLiteral("mailto:someone@example.org"));
    EXPECT_TRUE(label.IsVisited());
    EXPECT_EQ(label.CurrentColor(), QColor(85, 26, 139));
    EXPECT_EQ(services.messages.size(), 1u);

    EXPECT_EQ(OpenErrorText(2), QStringLiteral("The specified file was not found."));
    EXPECT_EQ(OpenErrorText(99), QStringLiteral("Unknown Error (99) occurred."));
}

}  // namespace
}  // namespace quillon::ui
