#include "ui/output_format_box.h"

#include <QHelpEvent>
#include <QToolTip>

#include "util/text.h"

namespace quillon::ui {

QString OutputFormatBox::ShownToolTip() const {
    QString name = currentIndex() > 0 ? itemText(currentIndex()).trimmed() : QString();
    if (name.startsWith(QLatin1String("to "))) name = name.mid(3);
    if (name.isEmpty()) return toolTip();
    return toolTip().isEmpty() ? name : toolTip() + QChar('\n') + name;
}

bool OutputFormatBox::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QString text = ShownToolTip();
        if (text.isEmpty()) return ColorComboBox::event(event);
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this);
        return true;
    }
    return ColorComboBox::event(event);
}

namespace {

const QColor kWhite(255, 255, 255);
const QColor kCustomizeColor(0xCC, 0x00, 0xCC);
const QColor kGroupColor(0x88, 0x00, 0x88);

}  // namespace

std::string FormatBoxText(const formats::OutputFormat& format, bool mainBox) {
    const std::string lead = mainBox ? " to " : " ";
    if (format.Label) return lead + *format.Label + " (*." + format.Extension + ")";
    return lead + util::UpperAscii(format.Extension);
}

OutputFormatBox::OutputFormatBox(QWidget* parent) : ColorComboBox(parent) {
    SetDropWidth(kDropWidth);
    setMaxVisibleItems(24);
    connect(this, &QComboBox::activated, this, &OutputFormatBox::OnOutputFormatSelected);
}

void OutputFormatBox::Fill(const formats::FormatCatalogue& catalogue, const formats::CustomFormatList& groups,
                           formats::ConversionSettings& settings) {
    settings_ = &settings;
    clear();
    ownRecords_.clear();

    formats::OutputFormat& customize = ownRecords_.emplace_back();
    formats::ResetFormat(customize);
    customize.FormatId = formats::kCustomizeEntryId;
    SetItemUser(AddItem(QStringLiteral("Customize Output Formats"), kCustomizeColor, kWhite), &customize);

    InsertCustomGroups(groups);

    // The colour changes with every run of one family: video, device, image sequence, audio.
    static const QColor kPalette[5] = {QColor(0xCC, 0x00, 0xCC), QColor(0, 0, 0), QColor(0x00, 0x00, 0xAA),
                                       QColor(0x00, 0x66, 0x00), QColor(0x99, 0x00, 0x00)};
    int run = 1;
    int32_t previous = catalogue.empty() ? 0 : catalogue.front().Family;
    for (const formats::OutputFormat& format : catalogue) {
        if (format.Family != previous) {
            ++run;
            previous = format.Family;
        }
        const int index = AddItem(QString::fromStdString(FormatBoxText(format, true)), kPalette[run % 5], kWhite);
        SetItemUser(index, const_cast<formats::OutputFormat*>(&format));
    }
    SelectStoredFormat();
}

void OutputFormatBox::InsertCustomGroups(const formats::CustomFormatList& groups) {
    for (std::size_t k = 0; k < groups.size(); ++k) {
        formats::OutputFormat& record = ownRecords_.emplace_back();
        formats::ResetFormat(record);
        record.FormatId = formats::kFirstCustomGroupId + static_cast<int32_t>(k);
        record.Family = formats::FamilyCustomGroup;
        record.CustomFormat = &groups[k];
        const int index =
            InsertItem(static_cast<int>(k) + 1, QString::fromStdString(" to " + groups[k].name), kGroupColor, kWhite);
        SetItemUser(index, &record);
    }
}

void OutputFormatBox::RebuildCustomGroups(const formats::CustomFormatList& groups) {
    for (int index = count() - 1; index >= 0; --index) {
        const formats::OutputFormat* format = FormatAt(index);
        if (format && format->Family == formats::FamilyCustomGroup) DeleteItem(index);
    }
    ownRecords_.remove_if(
        [](const formats::OutputFormat& record) { return record.Family == formats::FamilyCustomGroup; });
    InsertCustomGroups(groups);
}

const formats::OutputFormat* OutputFormatBox::FormatAt(int index) const {
    return static_cast<const formats::OutputFormat*>(GetItemUser(index));
}

int OutputFormatBox::IndexOfFormat(int32_t formatId) const {
    for (int index = 0; index < count(); ++index) {
        const formats::OutputFormat* format = FormatAt(index);
        if (format && format->FormatId == formatId) return index;
    }
    return -1;
}

void OutputFormatBox::SelectStoredFormat() {
    if (!settings_) return;
    const int index = IndexOfFormat(settings_->OutputFormat);
    setCurrentIndex(index);
    if (index <= 0 && count() > 1) {
        setCurrentIndex(1);
        OnOutputFormatSelected(1);
    }
}

void OutputFormatBox::OnOutputFormatSelected(int index) {
    if (!settings_) return;
    if (index < 0) {
        settings_->OutputFormat = kNoSelectionFormat;
        Q_EMIT FormatChosen(settings_->OutputFormat);
        return;
    }
    if (index == 0) {
        Q_EMIT CustomizeRequested();
        SelectStoredFormat();
        return;
    }
    const formats::OutputFormat* format = FormatAt(index);
    if (!format) return;
    settings_->OutputFormat = format->FormatId;
    Q_EMIT FormatChosen(format->FormatId);
}

void FillPageFormatBox(ColorComboBox& box, const formats::FormatCatalogue& catalogue, int32_t outputFormatId) {
    static const QColor kPalette[4] = {QColor(0, 0, 0), QColor(0x00, 0x00, 0xAA), QColor(0x00, 0x66, 0x00),
                                       QColor(0x99, 0x00, 0x00)};
    box.clear();
    int run = 0;
    int32_t previous = catalogue.empty() ? 0 : catalogue.front().Family;
    int selected = -1;
    for (const formats::OutputFormat& format : catalogue) {
        if (format.Family != previous) {
            ++run;
            previous = format.Family;
        }
        const int index = box.AddItem(QString::fromStdString(FormatBoxText(format, false)), kPalette[run % 4], kWhite);
        box.SetItemUser(index, const_cast<formats::OutputFormat*>(&format));
        if (selected < 0 && format.FormatId == outputFormatId) selected = index;
    }
    box.setCurrentIndex(selected >= 0 ? selected : (box.count() > 0 ? 0 : -1));
}

}  // namespace quillon::ui
