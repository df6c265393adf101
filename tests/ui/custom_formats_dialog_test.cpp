// The Customize Output Formats dialog and the name dialog on their widgets: moving formats,
// the buttons' states, the refusals, and what the main window does after OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "formats/custom_output_format.h"
#include "platform/registry_store.h"
#include "test_support.h"
#include "ui/custom_formats_dialog.h"
#include "ui/main_window.h"
#include "ui/output_format_box.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

class CustomFormatsDialogTest : public testing::Test {
protected:
    void SetUp() override {
        test::Recorder().Reset();
        formats::BuildCatalogue(catalogue);
    }
    void TearDown() override { CustomFormatsDialog::SetNameAsker({}); }

    static void SelectTexts(QListWidget* list, const QStringList& texts) {
        list->clearSelection();
        for (const QString& text : texts) {
            const auto found = list->findItems(text, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << text.toStdString();
            found[0]->setSelected(true);
        }
    }

    formats::FormatCatalogue catalogue;
};

TEST_F(CustomFormatsDialogTest, MovingFormatsKeepsIdsAscendingAndTogglesTheButtons) {
    const formats::CustomFormatList groups{{"Phones", {1160}}, {"Web", {195}}};
    CustomFormatsDialog dialog(catalogue, groups);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Customize Output Formats"));
    EXPECT_EQ(dialog.GroupList()->count(), 2);
    EXPECT_EQ(dialog.GroupList()->currentRow(), 0);
    EXPECT_EQ(dialog.OutputList()->count(), 1);
    EXPECT_EQ(dialog.AvailableList()->count(), 78);
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    EXPECT_FALSE(dialog.TakeOutButton()->isEnabled());

    SelectTexts(dialog.AvailableList(),
                {QStringLiteral(" WebM (VP8/VP9) (*.webm)"), QStringLiteral(" H.264 AVC (*.mp4)")});
    EXPECT_TRUE(dialog.AddButton()->isEnabled());
    dialog.AddButton()->click();
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    ASSERT_EQ(dialog.OutputList()->count(), 3);
    EXPECT_EQ(dialog.OutputList()->item(0)->text(), QStringLiteral(" H.264 AVC (*.mp4)"));
    EXPECT_EQ(dialog.OutputList()->item(1)->text(), QStringLiteral(" WebM (VP8/VP9) (*.webm)"));
    EXPECT_EQ(dialog.OutputList()->item(2)->text(), QStringLiteral(" MP3"));
    EXPECT_EQ(dialog.Editor().Groups()[0].formatIds, (std::vector<int32_t>{80, 195, 1160}));

    // A double click moves back, into the ascending place.
    QListWidgetItem* mp3 = dialog.OutputList()->item(2);
    mp3->setSelected(true);
    EXPECT_TRUE(dialog.TakeOutButton()->isEnabled());
    Q_EMIT dialog.OutputList()->itemDoubleClicked(mp3);
    EXPECT_EQ(dialog.Editor().Groups()[0].formatIds, (std::vector<int32_t>{80, 195}));
    const int row =
        dialog.AvailableList()->row(dialog.AvailableList()->findItems(QStringLiteral(" MP3"), Qt::MatchExactly)[0]);
    EXPECT_EQ(dialog.AvailableList()->item(row - 1)->text(), QStringLiteral(" MP2"));

    // The second group shows its own members; the caller's groups are untouched.
    dialog.GroupList()->setCurrentRow(1);
    EXPECT_EQ(dialog.OutputList()->count(), 1);
    EXPECT_EQ(groups[0].formatIds, (std::vector<int32_t>{1160}));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(CustomFormatsDialogTest, NewEditRemoveAndTheEmptyGroupRefusal) {
    std::vector<QString> titles;
    std::optional<QString> answer = QStringLiteral("Audio");
    CustomFormatsDialog::SetNameAsker([&](QWidget*, const QString& title, const QString& name) {
        titles.push_back(title + "|" + name);
        return answer;
    });
    CustomFormatsDialog dialog(catalogue, {{"First", {80}}});
    dialog.OnNew();
    ASSERT_EQ(dialog.GroupList()->count(), 2);
    EXPECT_EQ(dialog.GroupList()->currentRow(), 1);
    EXPECT_EQ(dialog.OutputList()->count(), 0);
    EXPECT_EQ(dialog.AvailableList()->count(), 79);

    // A group without members keeps the dialog open and is shown.
    dialog.GroupList()->setCurrentRow(0);
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(test::Recorder().messages.size(), 1u);
    EXPECT_EQ(test::Recorder().messages[0].text,
              QStringLiteral("Please choose one output format at least for \"Audio\"."));
    EXPECT_EQ(test::Recorder().messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialog.GroupList()->currentRow(), 1);

    answer = QStringLiteral("Sound");
    dialog.OnEdit();
    EXPECT_EQ(dialog.GroupList()->item(1)->text(), QStringLiteral("Sound"));
    EXPECT_EQ(dialog.GroupList()->currentRow(), 1);
    answer.reset();  // Cancel in the name dialog changes nothing
    dialog.OnNew();
    EXPECT_EQ(dialog.GroupList()->count(), 2);
    EXPECT_EQ(titles, (std::vector<QString>{QStringLiteral("Input a Name|"), QStringLiteral("Edit Name|Audio"),
                                            QStringLiteral("Input a Name|")}));

    dialog.OnRemove();
    EXPECT_EQ(dialog.GroupList()->count(), 1);
    EXPECT_EQ(dialog.GroupList()->selectedItems().size(), 0);
    EXPECT_EQ(dialog.AvailableList()->count(), 0);
    EXPECT_EQ(dialog.OutputList()->count(), 0);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.Editor().Groups().size(), 1u);
    EXPECT_EQ(dialog.Editor().Groups()[0].name, "First");
}

TEST_F(CustomFormatsDialogTest, TheNameDialogRefusesAnEmptyName) {
    InputDialog dialog(QStringLiteral("Input a Name"), QString());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Input a Name"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(test::Recorder().messages.size(), 1u);
    EXPECT_EQ(test::Recorder().messages[0].text, QStringLiteral("Please input a name."));
    dialog.Field()->setText(QStringLiteral("Phones"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Text(), QStringLiteral("Phones"));
}

// The box's first entry runs the dialog; OK saves the groups and rebuilds the box's entries,
// and the stored output format is selected again (here: a group that moved into place 1).
TEST_F(CustomFormatsDialogTest, MainWindowSavesAndRebuildsAfterOk) {
    platform::RegistryStore().Update([](platform::RegistryTree& t) {
        t.DeleteKey("Software\\Quillon 5");
        formats::SaveCustomFormats(t, {{"One", {80}}, {"Two", {110}}, {"Three", {1160}}});
        t.SetDword(formats::kOptionsKey, "OutputFormat", 21003);
    });
    MainWindow window(test::BinDir().string() + "/");
    window.SetUpMainWindow();
    ASSERT_EQ(window.FormatBox()->SelectedFormat()->FormatId, 21003);

    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CustomFormatsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->GroupList()->setCurrentRow(0);
        dialog->OnRemove();
        ran = true;
        dialog->accept();
    });
    window.FormatBox()->setCurrentIndex(0);
    window.FormatBox()->OnOutputFormatSelected(0);
    ASSERT_TRUE(ran);

    ASSERT_EQ(window.CustomGroups().size(), 2u);
    EXPECT_EQ(window.FormatBox()->itemText(1), QStringLiteral(" to Two"));
    EXPECT_EQ(window.FormatBox()->itemText(2), QStringLiteral(" to Three"));
    EXPECT_EQ(window.FormatBox()->itemText(3), QStringLiteral(" to 3G2"));
    // 21003 no longer exists: the entry at position 1 is chosen.
    EXPECT_EQ(window.FormatBox()->currentIndex(), 1);
    EXPECT_EQ(window.Settings().OutputFormat, 21001);

    formats::CustomFormatList stored;
    platform::RegistryStore store;
    formats::LoadCustomFormats(store, stored);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].name, "Two");
    EXPECT_EQ(stored[1].formatIds, (std::vector<int32_t>{1160}));

    // Cancel leaves everything as it was.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    window.FormatBox()->setCurrentIndex(0);
    window.FormatBox()->OnOutputFormatSelected(0);
    EXPECT_EQ(window.CustomGroups().size(), 2u);
    EXPECT_EQ(window.FormatBox()->currentIndex(), 1);
}

}  // namespace
}  // namespace quillon::ui
