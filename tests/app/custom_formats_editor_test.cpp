// The custom-groups dialog's logic: members kept in ascending id order whichever way they are
// moved, working copies, and the refusal of a group without members.
#include <gtest/gtest.h>

#include "app/custom_formats_editor.h"

namespace quillon::app {
namespace {

class CustomFormatsEditorTest : public testing::Test {
protected:
    void SetUp() override { formats::BuildCatalogue(catalogue); }

    static int RowOf(const std::vector<const formats::OutputFormat*>& list, int32_t id) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i]->FormatId == id) return static_cast<int>(i);
        }
        return -1;
    }
    static std::vector<int32_t> Ids(const std::vector<const formats::OutputFormat*>& list) {
        std::vector<int32_t> ids;
        for (const auto* f : list) ids.push_back(f->FormatId);
        return ids;
    }

    formats::FormatCatalogue catalogue;
};

TEST_F(CustomFormatsEditorTest, MovesKeepAscendingIdsInEitherOrder) {
    for (bool mp3First : {true, false}) {
        CustomFormatsEditor editor(catalogue, {});
        editor.AddGroup("Both");
        ASSERT_EQ(editor.Selected(), 0);
        EXPECT_EQ(editor.Available().size(), catalogue.size());
        if (mp3First) {
            editor.MoveToOutput({RowOf(editor.Available(), 1160)});
            editor.MoveToOutput({RowOf(editor.Available(), 80)});
        } else {
            editor.MoveToOutput({RowOf(editor.Available(), 80), RowOf(editor.Available(), 1160)});
        }
        EXPECT_EQ(editor.Groups()[0].formatIds, (std::vector<int32_t>{80, 1160}));
        EXPECT_EQ(formats::FormatIdsText(editor.Groups()[0].formatIds), "80,1160,");
        EXPECT_EQ(Ids(editor.Output()), (std::vector<int32_t>{80, 1160}));
        EXPECT_EQ(RowOf(editor.Available(), 80), -1);
    }

    // Back to the available list, each in its ascending place.
    CustomFormatsEditor editor(catalogue, {{"G", {10, 80, 1160}}});
    editor.MoveToAvailable({2, 0});
    EXPECT_EQ(editor.Groups()[0].formatIds, (std::vector<int32_t>{80}));
    const std::vector<int32_t> available = Ids(editor.Available());
    EXPECT_TRUE(std::is_sorted(available.begin(), available.end()));
    EXPECT_EQ(available.front(), 10);
}

TEST_F(CustomFormatsEditorTest, WorksOnCopiesAndShowsTheSelectedGroup) {
    const formats::CustomFormatList groups{{"Phones", {80, 1160}}, {"Web", {195}}};
    CustomFormatsEditor editor(catalogue, groups);
    EXPECT_EQ(editor.Selected(), 0);
    EXPECT_EQ(Ids(editor.Output()), (std::vector<int32_t>{80, 1160}));
    EXPECT_EQ(editor.Available().size() + editor.Output().size(), catalogue.size());

    editor.SelectGroup(1);
    editor.RenameSelected("Web pages");
    editor.MoveToOutput({RowOf(editor.Available(), 110)});
    EXPECT_EQ(editor.Groups()[1].name, "Web pages");
    EXPECT_EQ(editor.Groups()[1].formatIds, (std::vector<int32_t>{110, 195}));
    EXPECT_EQ(groups[1].name, "Web");
    EXPECT_EQ(groups[1].formatIds, (std::vector<int32_t>{195}));

    editor.RemoveSelected();
    EXPECT_EQ(editor.Selected(), -1);
    EXPECT_TRUE(editor.Available().empty());
    EXPECT_TRUE(editor.Output().empty());
    ASSERT_EQ(editor.Groups().size(), 1u);
    editor.MoveToOutput({0});  // nothing selected: nothing happens
    EXPECT_EQ(editor.Groups()[0].formatIds.size(), 2u);

    EXPECT_EQ(FormatListText(*formats::FindFormat(catalogue, 80)), " H.264 AVC (*.mp4)");
    EXPECT_EQ(FormatListText(*formats::FindFormat(catalogue, 1160)), " MP3");
}

TEST_F(CustomFormatsEditorTest, AGroupWithoutMembersIsFound) {
    CustomFormatsEditor editor(catalogue, {{"Full", {80}}, {"Empty", {}}, {"Also empty", {}}});
    EXPECT_EQ(editor.FirstEmptyGroup(), 1);
    EXPECT_EQ(EmptyGroupMessage("Empty"), "Please choose one output format at least for \"Empty\".");
    editor.SelectGroup(1);
    editor.MoveToOutput({0});
    EXPECT_EQ(editor.FirstEmptyGroup(), 2);
    editor.SelectGroup(2);
    editor.RemoveSelected();
    EXPECT_EQ(editor.FirstEmptyGroup(), -1);

    // Taking every member out makes the group empty again.
    editor.SelectGroup(0);
    editor.MoveToAvailable({0});
    EXPECT_EQ(editor.FirstEmptyGroup(), 0);
}

}  // namespace
}  // namespace quillon::app
