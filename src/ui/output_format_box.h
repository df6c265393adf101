#pragma once
// The main window's output-format box: the "Customize Output Formats" entry, the custom groups,
// then every catalogue format coloured by its family; and the simpler box of the Video & Audio
// page. A selection stores the chosen identifier in the OutputFormat setting.

#include <list>
#include <string>

#include "formats/conversion_settings.h"
#include "formats/custom_output_format.h"
#include "formats/output_format.h"
#include "ui/color_combo_box.h"

namespace quillon::ui {

// " to LABEL (*.ext)" (main box) or " LABEL (*.ext)" (page box); " to EXT" / " EXT" without a label.
std::string FormatBoxText(const formats::OutputFormat& format, bool mainBox);

class OutputFormatBox : public ColorComboBox {
    Q_OBJECT
public:
    static constexpr int kDropWidth = 270;
    static constexpr int32_t kNoSelectionFormat = 1160;  // MP3

    explicit OutputFormatBox(QWidget* parent = nullptr);

    // Fills the box and selects the stored format (or the entry at position 1, as if chosen).
    // The catalogue, the groups and the settings must outlive the box's entries.
    void Fill(const formats::FormatCatalogue& catalogue, const formats::CustomFormatList& groups,
              formats::ConversionSettings& settings);
    // Replaces the custom-group entries after the groups were edited.
    void RebuildCustomGroups(const formats::CustomFormatList& groups);
    // Selects the entry of the OutputFormat setting; none or the first entry selects position 1.
    void SelectStoredFormat();

    const formats::OutputFormat* FormatAt(int index) const;
    const formats::OutputFormat* SelectedFormat() const { return FormatAt(currentIndex()); }
    int IndexOfFormat(int32_t formatId) const;

    // What a user's choice of the entry at index does (-1: no selection).
    void OnOutputFormatSelected(int index);

    // The tooltip as shown: the box's own text, then the whole name of the selected format,
    // which the narrow box cuts.
    QString ShownToolTip() const;

protected:
    bool event(QEvent* event) override;

Q_SIGNALS:
    // "Customize Output Formats" was chosen: the receiver runs the dialog and, on OK, stores
    // and saves the groups and calls RebuildCustomGroups. The box then selects again.
    void CustomizeRequested();
    void FormatChosen(int formatId);

private:
    void InsertCustomGroups(const formats::CustomFormatList& groups);

    formats::ConversionSettings* settings_ = nullptr;
    std::list<formats::OutputFormat> ownRecords_;  // the customize entry and the group entries
};

// The Video & Audio page's box: catalogue formats only, the current one (else the first) selected.
void FillPageFormatBox(ColorComboBox& box, const formats::FormatCatalogue& catalogue, int32_t outputFormatId);

}  // namespace quillon::ui
