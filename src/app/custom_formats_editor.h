#pragma once
// The Customize Output Formats dialog without its widgets: working copies of the groups, the
// selected group, and the two format lists that show its members and the rest of the catalogue.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/custom_output_format.h"
#include "formats/output_format.h"

namespace quillon::app {

// " LABEL (*.ext)", or " EXT" without a label.
std::string FormatListText(const formats::OutputFormat& format);

class CustomFormatsEditor {
public:
    // Works on deep copies of `groups`; the first group is selected when there is one.
    CustomFormatsEditor(const formats::FormatCatalogue& catalogue, const formats::CustomFormatList& groups);

    const formats::CustomFormatList& Groups() const { return groups_; }
    int Selected() const { return selected_; }
    // The format lists of the selected group: members ("Output Formats") and the rest
    // ("Available Formats"); both empty with no group selected.
    const std::vector<const formats::OutputFormat*>& Available() const { return available_; }
    const std::vector<const formats::OutputFormat*>& Output() const { return output_; }

    // -1 selects none.
    void SelectGroup(int index);
    // Moves the entries at these rows (taken in list order) into the other list, each before the
    // first entry with a larger id, and rebuilds the group's members from the output list.
    void MoveToOutput(std::vector<int> availableRows);
    void MoveToAvailable(std::vector<int> outputRows);

    // Appends an empty group and selects it.
    void AddGroup(const std::string& name);
    void RenameSelected(const std::string& name);
    // Removes the selected group; afterwards none is selected.
    void RemoveSelected();

    // The first group without members, or -1 when every group may be kept.
    int FirstEmptyGroup() const;

private:
    void ShowSelected();
    void RebuildMembers();
    static void Move(std::vector<int> rows, std::vector<const formats::OutputFormat*>& from,
                     std::vector<const formats::OutputFormat*>& to);

    const formats::FormatCatalogue& catalogue_;
    formats::CustomFormatList groups_;
    int selected_ = -1;
    std::vector<const formats::OutputFormat*> available_;
    std::vector<const formats::OutputFormat*> output_;
};

// The message that keeps the dialog open for a group without members.
std::string EmptyGroupMessage(const std::string& name);

}  // namespace quillon::app
