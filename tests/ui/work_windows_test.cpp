// The progress, loading and countdown windows on their own: their boxes, what the user's
// choices hand on, and what closes them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "ui/countdown_dialog.h"
#include "ui/loading_dialog.h"
#include "ui/progress_dialog.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

struct Choices {
    int cancels = 0;
    std::vector<int> threads;
    std::vector<uint32_t> priorities;
    QStringList folders;

    ProgressWindowActions Actions() {
        ProgressWindowActions actions;
        actions.cancel = [this] { ++cancels; };
        actions.threadCount = [this](int n) { threads.push_back(n); };
        actions.priority = [this](uint32_t p) { priorities.push_back(p); };
        actions.openFolder = [this](const QString& f) { folders << f; };
        return actions;
    }
};

void Choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
}

TEST(ProgressWindowTest, BoxesAndTheChoicesTheyHandOn) {
    Choices choices;
    app::ProgressWindowSetup setup;
    setup.threadCount = 4;
    setup.priorityClass = 0x4000;
    setup.outputFolderLabel = "/media/out/";
    setup.outputFolderButtonEnabled = true;
    QWidget owner;
    ProgressDialog window(&owner, setup, choices.Actions());

    QComboBox* threads = window.ThreadsBox();
    ASSERT_EQ(threads->count(), 32);
    EXPECT_EQ(threads->itemText(0), QStringLiteral("1"));
    EXPECT_EQ(threads->itemData(31).toInt(), 32);
    EXPECT_EQ(threads->currentText(), QStringLiteral("4"));
    QComboBox* priority = window.PriorityBox();
    const QStringList names{"High", "Above Normal", "Normal", "Below Normal", "Idle"};
    const uint32_t values[] = {0x80, 0x8000, 0x20, 0x4000, 0x40};
    ASSERT_EQ(priority->count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(priority->itemText(i), names[i]);
        EXPECT_EQ(priority->itemData(i).toUInt(), values[i]);
    }
    EXPECT_EQ(priority->currentText(), QStringLiteral("Below Normal"));

    Choose(threads, 7);
    Choose(priority, 0);
    window.CancelButton()->click();
    window.OutputFolderButton()->click();
    EXPECT_EQ(choices.threads, std::vector<int>{8});
    EXPECT_EQ(choices.priorities, std::vector<uint32_t>{0x80});
    EXPECT_EQ(choices.cancels, 1);
    EXPECT_EQ(choices.folders, QStringList{"/media/out/"});

    EXPECT_FALSE(window.ShutdownChecked());
    EXPECT_EQ(window.ShutdownBox()->text(), QStringLiteral("&Shut down the computer after converting"));
    window.ShutdownBox()->setChecked(true);
    EXPECT_TRUE(window.ShutdownChecked());

    // The bar runs over its width in pixels; the combining pass steps round.
    const int width = window.BarWidth();
    EXPECT_EQ(window.Bar()->maximum(), width);
    window.SetBarPosition(width + 50);
    EXPECT_EQ(window.Bar()->value(), width);
    window.SetBarStep(2);
    window.StepBar();
    EXPECT_EQ(window.Bar()->value(), 0);
    window.StepBar();
    EXPECT_EQ(window.Bar()->value(), 2);
    window.SetStatus("Combining files...  [00:03.250]");
    window.SetPercentText("50%");
    EXPECT_EQ(window.StatusLine()->text(), QStringLiteral("Combining files...  [00:03.250]"));
    EXPECT_EQ(window.PercentLabel()->text(), QStringLiteral("50%"));

    // Neither Escape nor closing hides a window whose run goes on.
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
}

TEST(ProgressWindowTest, SameFolderAsSourceAndUnknownThreadCount) {
    Choices choices;
    app::ProgressWindowSetup setup;
    setup.threadCount = 99;
    setup.outputFolderLabel = "Same as source file";
    QWidget owner;
    ProgressDialog window(&owner, setup, choices.Actions());
    EXPECT_EQ(window.ThreadsBox()->currentText(), QStringLiteral("1"));
    EXPECT_EQ(window.PriorityBox()->currentText(), QStringLiteral("Normal"));
    EXPECT_FALSE(window.OutputFolderButton()->isEnabled());
    EXPECT_EQ(window.OutputFolderLabel()->text(), QStringLiteral("Same as source file"));
}

TEST(LoadingWindowTest, CancelOnlySetsTheFlag) {
    QWidget owner;
    LoadingDialog window(&owner);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.Cancelled());
    window.SetStatus("[2/5] Adding file clip.mp4...");
    EXPECT_EQ(window.StatusLine()->text(), QStringLiteral("[2/5] Adding file clip.mp4..."));
    window.CancelButton()->click();
    EXPECT_TRUE(window.Cancelled());
    EXPECT_TRUE(window.isVisible());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
}

TEST(CountdownWindowTest, RunsOutOnTheThirtyFirstTickOrIsCancelled) {
    {
        app::ShutdownCountdown countdown;
        CountdownDialog window(nullptr, countdown, 2);
        EXPECT_EQ(window.CountdownLabel()->text(), QString());
        EXPECT_EQ(window.MessageLabel()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        EXPECT_EQ(window.exec(), QDialog::Accepted);
        EXPECT_EQ(window.CountdownLabel()->text(), QStringLiteral("1 seconds remaining"));
    }
    {
        app::ShutdownCountdown countdown;
        CountdownDialog window(nullptr, countdown, 1000);
        QTimer::singleShot(20, window.CancelButton(), &QPushButton::click);
        EXPECT_EQ(window.exec(), QDialog::Rejected);
    }
}

}  // namespace
}  // namespace quillon::ui
