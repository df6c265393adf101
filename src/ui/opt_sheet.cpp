#include "ui/opt_sheet.h"

#include <QDialogButtonBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/file_list.h"
#include "platform/registry_store.h"
#include "ui/file_list_view.h"
#include "ui/main_window.h"
#include "ui/opt_output_page.h"
#include "ui/opt_video_page.h"
#include "ui/output_format_box.h"

namespace quillon::ui {

void CopySheetValues(const formats::ConversionSettings& from, formats::ConversionSettings& to) {
    formats::CopyOptionsGroup(from, to);
    to.OutputFormat = from.OutputFormat;
}

COptSheet::COptSheet(formats::ConversionSettings& settings, formats::FormatCatalogue& catalogue,
                     platform::RegistryStore& store, QWidget* parent)
    : QDialog(parent), settings_(settings), catalogue_(catalogue), store_(store), working_(settings) {
    setWindowTitle(QStringLiteral("Options"));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    // Both pages exist from the start so that the sheet is sized for both; a page counts only
    // once it was shown.
    generalPage_ = new COptOutputPage(working_, store_);
    videoPage_ = new COptVideoPage(catalogue_, working_.OutputFormat, working_.Picture());
    tabs_->addTab(generalPage_, QStringLiteral("General"));
    tabs_->addTab(videoPage_, QStringLiteral("Video && Audio"));
    layout->addWidget(tabs_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptSheet::reject);

    const int start =
        settings.OptStartPageIndex >= 0 && settings.OptStartPageIndex < kPageCount ? settings.OptStartPageIndex : 0;
    ShowPage(start);
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == current_) return;
        const int leaving = current_;
        if (!LeavePage(leaving)) {
            const QSignalBlocker block(tabs_);
            tabs_->setCurrentIndex(leaving);
            return;
        }
        ShowPage(index);
    });
}

void COptSheet::ShowPage(int index) {
    shown_[index] = true;
    {
        const QSignalBlocker block(tabs_);
        tabs_->setCurrentIndex(index);
    }
    current_ = index;
}

bool COptSheet::LeavePage(int index) {
    if (index == 0 && shown_[0]) return generalPage_->LeavePage();
    if (index == 1 && shown_[1]) return videoPage_->LeavePage();
    return true;
}

int COptSheet::ActivePage() const { return current_; }

bool COptSheet::SelectPage(int index) {
    if (index == current_) return true;
    if (index < 0 || index >= kPageCount || !LeavePage(current_)) return false;
    ShowPage(index);
    return true;
}

void COptSheet::accept() {
    if (!LeavePage(current_)) return;
    if (shown_[0]) generalPage_->UpdateHistories();
    if (shown_[1]) {
        working_.Picture() = videoPage_->Model().Picture();
        if (videoPage_->Model().AppliedFormatId() >= 0) working_.OutputFormat = videoPage_->Model().AppliedFormatId();
    }
    CopySheetValues(working_, settings_);
    formats::RebuildExtensionFilter(settings_);
    formats::SaveSettings(store_, settings_, catalogue_, formats::kOptionsGroup);
    Finish();
    QDialog::accept();
}

void COptSheet::reject() {
    Finish();
    QDialog::reject();
}

void COptSheet::Finish() { settings_.OptStartPageIndex = current_ < 0 ? 0 : current_; }

void ReselectAudioStreams(FileListView& list, int requestAudioIndex) {
    for (int row = 0; row < list.ItemCount(); ++row) {
        engine::SourceItem* item = list.ItemAt(row);
        if (!item) continue;
        item->selectedAudioStream = app::ChooseAudioStream(requestAudioIndex, item->audioSampleRates.size());
        list.RefreshAudioCells(row);
    }
}

bool RunOptionsSheet(MainWindow& window) {
    formats::ConversionSettings& settings = window.Settings();
    const int32_t audioIndex = settings.RequestAudioIndex;
    platform::RegistryStore store;
    COptSheet sheet(settings, window.Catalogue(), store, &window);
    if (sheet.exec() != QDialog::Accepted) return false;

    window.FormatBox()->SelectStoredFormat();
    if (settings.RequestAudioIndex != audioIndex && window.List()) {
        ReselectAudioStreams(*window.List(), settings.RequestAudioIndex);
    }
    return true;
}

}  // namespace quillon::ui
