// The real window driven by keys and clicks while engines run, and rows removed in several
// selection shapes. The engines are fakes that report slowly on a timer, so a run lasts long
// enough for a person to press keys during it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <memory>

#include "app/conversion_run.h"
#include "app/main_commands.h"
#include "engine/engine_reports.h"
#include "test_support.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/link_label.h"
#include "ui/main_window.h"
#include "ui/output_format_box.h"
#include "ui/window_commands.h"
#include "ui_test_support.h"
#include "window_fixture.h"

namespace quillon::ui {
namespace {

namespace fs = std::filesystem;
using namespace app::command;

using test::WaitFor;

// Engines that report a step every few milliseconds and write their output at the end. Each
// launch is finished exactly once, also when the run was cancelled or the window went away.
class SlowEngines {
public:
    explicit SlowEngines(int steps = 8) : steps_(steps) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(15);
    }
    ~SlowEngines() {
        timer_.stop();
        for (Launch& l : launches_) {
            if (!l.finished) l.sink->EngineFinished(l.item, "");
        }
        QApplication::processEvents();
    }

    app::EngineLaunch Launcher() {
        return [this](std::string_view, engine::SourceItem* item, uint32_t, engine::EngineReportSink* sink) {
            launches_.push_back({item, sink, item->outputPath, item->path, 0, false});
            return true;
        };
    }

    // The sources of every launch so far, in launch order.
    std::vector<std::string> Sources() const {
        std::vector<std::string> sources;
        for (const Launch& l : launches_) sources.push_back(l.source);
        return sources;
    }

private:
    struct Launch {
        engine::SourceItem* item;  // a token only, as for a real engine
        engine::EngineReportSink* sink;
        std::string output;
        std::string source;
        int step;
        bool finished;
    };

    void Tick() {
        for (Launch& l : launches_) {
            if (l.finished) continue;
            if (++l.step < steps_) {
                l.sink->EngineProgress(l.item, l.step * 100 / steps_, l.step * 100);
                continue;
            }
            if (!l.output.empty()) test::WriteFile(l.output, "converted");
            l.finished = true;
            l.sink->EngineFinished(l.item, "");
        }
    }

    int steps_;
    QTimer timer_;
    std::vector<Launch> launches_;
};

std::unique_ptr<engine::SourceItem> Clip(const fs::path& path) {
    test::WriteFile(path.string(), "source");
    auto item = test::VideoRow(path, 10, 320, 240);
    item->audioSampleRates = {44100};
    item->audioChannels = {2};
    item->audioBitRates = {128};
    item->audioStreamIds = {"0:1"};
    return item;
}

class WindowBusyTest : public test::WindowTest {
public:
    void OpenWindow() {
        window = NewWindow(0);
        window->UseEngineLaunch(engines.Launcher());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        test::Recorder().Reset();  // the first-run help
    }

    // The progress window has closed: the main window is the active one again.
    bool Reactivate() {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    void AddRows(std::initializer_list<const char*> names) {
        for (const char* name : names) window->AddSource(Clip(dir / name));
    }

    void ChooseFormat(int32_t id) {
        OutputFormatBox* box = window->FormatBox();
        const int index = box->IndexOfFormat(id);
        ASSERT_GT(index, 0);
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }

    // The File column, top to bottom.
    QStringList Shown() const {
        QStringList names;
        for (int row = 0; row < window->List()->ItemCount(); ++row) names << window->List()->ItemText(row, 0);
        return names;
    }
    // The list's own rows and selection must be what the view shows.
    void ExpectListMatchesView() const {
        FileListView* view = window->List();
        app::FileList& files = window->Files();
        ASSERT_EQ(files.RowCount(), static_cast<std::size_t>(view->ItemCount()));
        for (int row = 0; row < view->ItemCount(); ++row) {
            EXPECT_EQ(&files.Item(static_cast<std::size_t>(row)), view->ItemAt(row)) << row;
            EXPECT_EQ(files.Selected(static_cast<std::size_t>(row)), view->topLevelItem(row)->isSelected()) << row;
        }
    }

    void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        FileListView* view = window->List();
        const QRect place = view->visualItemRect(view->topLevelItem(row));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, place.center());
    }

    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, key, modifiers);
        QApplication::processEvents();
    }

    void Drop(const fs::path& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
        QWidget* viewport = window->List()->viewport();
        const QPoint at = viewport->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        dragAccepted = enter.isAccepted();
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        QTest::qWait(50);
    }

    SlowEngines engines;  // outlives the window: its reports drain when the window goes
    std::unique_ptr<MainWindow> window;
    bool dragAccepted = false;
};

TEST_F(WindowBusyTest, CommandsDuringARunAreRefusedAndTheRunEndsNormally) {
    OpenWindow();
    AddRows({"a.mp4", "b.mp4", "c.mp4", "d.mp4"});
    ChooseFormat(40);  // AVI
    // A modal dialog that a command wrongly opened is closed again, so the test cannot hang.
    QTimer closer;
    int dialogsOpened = 0;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++dialogsOpened;
            modal->close();
        }
    });
    closer.start(20);

    QTest::mouseClick(window->Button(kConvertAll), Qt::LeftButton);
    ASSERT_TRUE(window->Run().Active());
    ASSERT_FALSE(window->Button(kConvertAll)->isEnabled());
    ASSERT_TRUE(Reactivate());  // the person clicks on the main window beside the progress window

    Press(Qt::Key_Delete, Qt::ControlModifier);  // Remove All
    Press(Qt::Key_A, Qt::ControlModifier);       // Select All, then Remove
    Press(Qt::Key_Delete);
    Press(Qt::Key_F3);                      // Move Down
    Press(Qt::Key_O, Qt::ControlModifier);  // Add Files
    Press(Qt::Key_F, Qt::ControlModifier);  // Add Folder
    Press(Qt::Key_F5);                      // Convert All again
    EXPECT_EQ(Shown(), (QStringList{"a.mp4", "b.mp4", "c.mp4", "d.mp4"}));
    EXPECT_EQ(dialogsOpened, 0);
    for (int id : {kAddFiles, kRemoveAll, kConvertAll, kOptions}) {
        EXPECT_FALSE(window->Button(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(window->List()->isEnabled());

    // The context menu offers nothing that changes the list, and the command layer refuses.
    QMenu* menu = window->Commands()->BuildContextMenu();
    for (QAction* action : menu->actions()) {
        const QString text = action->text();
        if (text.startsWith(QStringLiteral("&Remove")) || text.startsWith(QStringLiteral("R&emove All")) ||
            text.startsWith(QStringLiteral("&Add Files")) || text.startsWith(QStringLiteral("Move &Up"))) {
            EXPECT_FALSE(action->isEnabled()) << text.toStdString();
        }
    }
    delete menu;
    window->Commands()->Execute(kRemoveAll);
    window->Commands()->Execute(kRemove);
    window->Commands()->Execute(kMoveUp);

    // Drops and files handed over from outside are refused too; the controls stay greyed out.
    Drop(dir / "e.mp4");
    EXPECT_FALSE(dragAccepted);
    test::WriteFile((dir / "f.mp4").string(), "x");
    window->AddSourcePaths({(dir / "f.mp4").string()});
    EXPECT_EQ(Shown(), (QStringList{"a.mp4", "b.mp4", "c.mp4", "d.mp4"}));
    EXPECT_FALSE(window->Button(kConvertAll)->isEnabled());
    EXPECT_TRUE(window->Run().Active());

    ASSERT_TRUE(WaitFor([&] { return !window->Run().Active(); }, 30000));
    closer.stop();
    EXPECT_EQ(dialogsOpened, 0);
    EXPECT_TRUE(window->Button(kConvertAll)->isEnabled());
    EXPECT_TRUE(window->List()->isEnabled());
    for (int row = 0; row < 4; ++row) {
        const engine::SourceItem* item = window->List()->ItemAt(row);
        ASSERT_FALSE(item->outputPath.empty()) << row;
        EXPECT_TRUE(fs::exists(item->outputPath)) << row;
        EXPECT_EQ(window->List()->Status(row).toStdString(), fs::path(item->outputPath).filename().string());
    }
    EXPECT_EQ(engines.Sources().size(), 4u);

    // Afterwards the same keys work again.
    ASSERT_TRUE(Reactivate());
    window->List()->setFocus();
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(window->Files().RowCount(), 0u);
}

TEST_F(WindowBusyTest, RemovalTakesExactlyTheSelectedRows) {
    OpenWindow();
    struct Shape {
        const char* name;
        std::function<void(WindowBusyTest&)> select;
        QStringList remaining;
    };
    const std::vector<Shape> shapes = {
        {"rows 0 and 2",
         [](WindowBusyTest& t) {
             t.ClickRow(0);
             t.ClickRow(2, Qt::ControlModifier);
         },
         {"b.mp4", "d.mp4", "e.mp4", "f.mp4"}},
        {"first and last",
         [](WindowBusyTest& t) {
             t.ClickRow(0);
             t.ClickRow(5, Qt::ControlModifier);
         },
         {"b.mp4", "c.mp4", "d.mp4", "e.mp4"}},
        {"every other row",
         [](WindowBusyTest& t) {
             t.ClickRow(1);
             t.ClickRow(3, Qt::ControlModifier);
             t.ClickRow(5, Qt::ControlModifier);
         },
         {"a.mp4", "c.mp4", "e.mp4"}},
        {"shift range",
         [](WindowBusyTest& t) {
             t.ClickRow(1);
             t.ClickRow(4, Qt::ShiftModifier);
         },
         {"a.mp4", "f.mp4"}},
        {"all", [](WindowBusyTest& t) { t.Press(Qt::Key_A, Qt::ControlModifier); }, {}},
    };
    for (const Shape& shape : shapes) {
        window->RemoveAllRows();
        AddRows({"a.mp4", "b.mp4", "c.mp4", "d.mp4", "e.mp4", "f.mp4"});
        window->List()->setFocus();
        shape.select(*this);
        Press(Qt::Key_Delete);
        EXPECT_EQ(Shown(), shape.remaining) << shape.name;
        ExpectListMatchesView();
        // What was removed can be added again: its key was freed with it.
        EXPECT_FALSE(window->Files().AnySelected()) << shape.name;
    }
}

TEST_F(WindowBusyTest, ConvertSelectedAfterAGroupRunConvertsWhatIsShownSelected) {
    OpenWindow();
    window->CustomGroups() = {{"Pair", {40, 110}}};  // AVI and MP4
    window->FormatBox()->RebuildCustomGroups(window->CustomGroups());
    AddRows({"a.mp4", "b.mp4", "c.mp4", "d.mp4"});
    ChooseFormat(21001);

    Press(Qt::Key_F5);  // Convert All: two copy rows below every source
    ASSERT_TRUE(window->Run().Active());
    ASSERT_TRUE(WaitFor([&] { return !window->Run().Active(); }, 30000));
    ASSERT_EQ(window->List()->ItemCount(), 12);
    ASSERT_EQ(engines.Sources().size(), 8u);
    ASSERT_TRUE(Reactivate());

    // The person selects c and d as the view shows them, then Convert Selected.
    const int c = static_cast<int>(Shown().indexOf(QStringLiteral("c.mp4")));
    const int d = static_cast<int>(Shown().indexOf(QStringLiteral("d.mp4")));
    ASSERT_GT(c, 0);
    window->List()->setFocus();
    ClickRow(c);
    ClickRow(d, Qt::ControlModifier);
    Press(Qt::Key_F4);
    ASSERT_TRUE(window->Run().Active());
    ASSERT_TRUE(WaitFor([&] { return !window->Run().Active(); }, 30000));

    const std::vector<std::string> sources = engines.Sources();
    ASSERT_EQ(sources.size(), 12u);
    for (std::size_t i = 8; i < sources.size(); ++i) {
        const std::string name = fs::path(sources[i]).filename().string();
        EXPECT_TRUE(name == "c.mp4" || name == "d.mp4") << name;
    }
    EXPECT_EQ(Shown(),
              (QStringList{"a.mp4", "b.mp4", "c.mp4", "   to MP4", "   to AVI", "d.mp4", "   to MP4", "   to AVI"}));
    ExpectListMatchesView();
}

TEST_F(WindowBusyTest, AFailingOpenerIsReportedAndTheLinkStaysUnvisited) {
    OpenWindow();
    test::Recorder().openResult = kOpenNoAssociation;
    // The web commands of the help menu and the home-page link.
    for (QAction* action : window->HelpMenu()->actions()) {
        if (action->text() == QStringLiteral("Home&page") ||
            action->text() == QStringLiteral("&Feedback and Support")) {
            action->trigger();
        }
    }
    QTest::mouseClick(window->Button(kHomePage), Qt::LeftButton);
    const auto& messages = test::Recorder().messages;
    ASSERT_EQ(messages.size(), 3u);
    for (const auto& message : messages) {
        EXPECT_EQ(message.text, QStringLiteral("Unable to open hyperlink:\n\n") + OpenErrorText(kOpenNoAssociation));
        EXPECT_EQ(message.icon, MessageIcon::Warning);
    }
    EXPECT_EQ(test::Recorder().opened.size(), 3);

    // The same through the list commands' shell.
    window->Commands()->Execute(kTellAFriend);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages.back().text,
              QStringLiteral("Unable to open hyperlink:\n\n") + OpenErrorText(kOpenNoAssociation));
}

// Services that open through the desktop's opener and record the messages.
class OpenerServices final : public UiServices {
public:
    int OpenDocument(const std::string& target) override {
        return OpenWithDesktop(QString::fromStdString(target), 5000);
    }
    void ShowMessage(QWidget*, MessageIcon, const QString& text) override { messages << text; }
    bool AskYesNo(QWidget*, MessageIcon, const QString&) override { return false; }
    void ShowInFileManager(const std::string&) override {}
    bool PowerOff(std::string&) override { return false; }
    QStringList messages;
};

TEST(DesktopOpenerTest, AnOpenerThatFailsOrIsMissingIsReportedNotVisited) {
    test::TempDir dir;
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    const fs::path log = dir / "opened.txt";
    const auto writeOpener = [&](int status) {
        test::WriteFile((bin / "xdg-open").string(),
                        "#!/bin/sh\necho \"$1\" >> '" + log.string() + "'\nexit " + std::to_string(status) + "\n");
        fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    };
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.string()));

    OpenerServices services;
    SetServices(&services);
    LinkLabel link(QStringLiteral("Homepage"));
    link.SetTarget(QStringLiteral("https://example.org/"));

    writeOpener(3);  // no handler could be found
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_FALSE(link.IsVisited());
    ASSERT_EQ(services.messages.size(), 1);
    EXPECT_TRUE(services.messages[0].startsWith(QStringLiteral("Unable to open hyperlink:\n\n")));
    EXPECT_EQ(test::ReadFile(log.string()), "https://example.org/\n");

    fs::remove(bin / "xdg-open");  // no opener at all
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(services.messages.size(), 2);

    writeOpener(0);
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(services.messages.size(), 2);
    EXPECT_EQ(OpenWithDesktop(QString::fromStdString((dir / "missing.mp4").string())), kOpenFileNotFound);

    SetServices(&test::Recorder());
    qputenv("PATH", oldPath);
}

}  // namespace
}  // namespace quillon::ui
