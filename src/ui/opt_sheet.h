#pragma once
// The Options sheet: the General and the Video & Audio pages over a copy of the settings. A page
// is checked whenever it is left; only OK takes the values over.

#include <QDialog>

#include "app/video_page_model.h"
#include "formats/conversion_settings.h"
#include "formats/output_format.h"

class QTabWidget;

namespace quillon::platform {
class RegistryStore;
}

namespace quillon::ui {

class COptOutputPage;
class COptVideoPage;
class FileListView;
class MainWindow;

class COptSheet : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPageCount = 2;

    // The Video & Audio page edits the catalogue's own records; everything else works on a copy
    // of `settings` until OK.
    COptSheet(formats::ConversionSettings& settings, formats::FormatCatalogue& catalogue,
              platform::RegistryStore& store, QWidget* parent = nullptr);

    int ActivePage() const;
    // Switches pages as a click on a tab would: refused while the current page does not check.
    bool SelectPage(int index);
    COptOutputPage* GeneralPage() const { return generalPage_; }
    COptVideoPage* VideoPage() const { return videoPage_; }
    const formats::ConversionSettings& Working() const { return working_; }
    // Only a page that was shown is checked and taken over.
    bool PageShown(int index) const { return index >= 0 && index < kPageCount && shown_[index]; }

    // OK and Cancel as the buttons do them. OK copies the values back, rebuilds the extension
    // filter and saves the options group; both note the active page.
    void accept() override;
    void reject() override;

private:
    void ShowPage(int index);
    bool LeavePage(int index);
    void Finish();

    formats::ConversionSettings& settings_;
    formats::FormatCatalogue& catalogue_;
    platform::RegistryStore& store_;
    formats::ConversionSettings working_;
    QTabWidget* tabs_ = nullptr;
    COptOutputPage* generalPage_ = nullptr;
    COptVideoPage* videoPage_ = nullptr;
    int current_ = -1;
    bool shown_[kPageCount] = {};
};

// Copies what the sheet edits (the options group and the output format) from one set to another.
void CopySheetValues(const formats::ConversionSettings& from, formats::ConversionSettings& to);

// Gives every row the audio stream RequestAudioIndex names, or its first, and redraws it.
void ReselectAudioStreams(FileListView& list, int requestAudioIndex);

// The Options command of the main window: runs the sheet and, after OK, selects the confirmed
// output format in the main box and chooses the rows' audio streams again when the stream number
// changed. True after OK.
bool RunOptionsSheet(MainWindow& window);

}  // namespace quillon::ui
