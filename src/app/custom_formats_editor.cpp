#include "app/custom_formats_editor.h"

#include <algorithm>

#include "util/text.h"

namespace quillon::app {

std::string FormatListText(const formats::OutputFormat& format) {
    if (format.Label) return " " + *format.Label + " (*." + format.Extension + ")";
    return " " + util::UpperAscii(format.Extension);
}

std::string EmptyGroupMessage(const std::string& name) {
    return "Please choose one output format at least for \"" + name + "\".";
}

CustomFormatsEditor::CustomFormatsEditor(const formats::FormatCatalogue& catalogue,
                                         const formats::CustomFormatList& groups)
    : catalogue_(catalogue), groups_(groups) {
    SelectGroup(groups_.empty() ? -1 : 0);
}

void CustomFormatsEditor::SelectGroup(int index) {
    selected_ = index >= 0 && index < static_cast<int>(groups_.size()) ? index : -1;
    ShowSelected();
}

void CustomFormatsEditor::ShowSelected() {
    available_.clear();
    output_.clear();
    if (selected_ < 0) return;
    const std::vector<int32_t>& ids = groups_[selected_].formatIds;
    for (const formats::OutputFormat& format : catalogue_) {
        const bool member = std::find(ids.begin(), ids.end(), format.FormatId) != ids.end();
        (member ? output_ : available_).push_back(&format);
    }
}

void CustomFormatsEditor::Move(std::vector<int> rows, std::vector<const formats::OutputFormat*>& from,
                               std::vector<const formats::OutputFormat*>& to) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<const formats::OutputFormat*> moving;
    for (int row : rows) {
        if (row >= 0 && row < static_cast<int>(from.size())) moving.push_back(from[row]);
    }
    for (const formats::OutputFormat* format : moving) {
        from.erase(std::find(from.begin(), from.end(), format));
        const auto before = std::find_if(to.begin(), to.end(), [&](const formats::OutputFormat* other) {
            return other->FormatId > format->FormatId;
        });
        to.insert(before, format);
    }
}

void CustomFormatsEditor::MoveToOutput(std::vector<int> availableRows) {
    if (selected_ < 0) return;
    Move(std::move(availableRows), available_, output_);
    RebuildMembers();
}

void CustomFormatsEditor::MoveToAvailable(std::vector<int> outputRows) {
    if (selected_ < 0) return;
    Move(std::move(outputRows), output_, available_);
    RebuildMembers();
}

void CustomFormatsEditor::RebuildMembers() {
    std::vector<int32_t>& ids = groups_[selected_].formatIds;
    ids.clear();
    for (const formats::OutputFormat* format : output_) ids.push_back(format->FormatId);
}

void CustomFormatsEditor::AddGroup(const std::string& name) {
    groups_.push_back({name, {}});
    SelectGroup(static_cast<int>(groups_.size()) - 1);
}

void CustomFormatsEditor::RenameSelected(const std::string& name) {
    if (selected_ >= 0) groups_[selected_].name = name;
}

void CustomFormatsEditor::RemoveSelected() {
    if (selected_ < 0) return;
    groups_.erase(groups_.begin() + selected_);
    SelectGroup(-1);
}

int CustomFormatsEditor::FirstEmptyGroup() const {
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        if (groups_[i].formatIds.empty()) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace quillon::app
