// The main output-format box: its entries, colours and user records, which entry a stored
// setting selects (with the fallbacks), and the "Customize Output Formats" entry.
#include <gtest/gtest.h>

#include "ui/output_format_box.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

using formats::OutputFormat;

class OutputFormatBoxTest : public testing::Test {
protected:
    void SetUp() override {
        formats::BuildCatalogue(catalogue);
        settings = formats::DefaultSettings("");
    }

    formats::FormatCatalogue catalogue;
    formats::ConversionSettings settings;
    formats::CustomFormatList groups;
    OutputFormatBox box;
};

TEST_F(OutputFormatBoxTest, EntriesColoursAndRecords) {
    groups = {{"Phones", {80, 1160}}, {"Web", {110}}};
    settings.OutputFormat = 110;
    box.Fill(catalogue, groups, settings);

    ASSERT_EQ(box.count(), 3 + static_cast<int>(catalogue.size()));
    EXPECT_EQ(box.itemText(0), QStringLiteral("Customize Output Formats"));
    EXPECT_EQ(box.ItemTextColor(0), QColor(0xCC, 0x00, 0xCC));
    EXPECT_EQ(box.FormatAt(0)->FormatId, 20000);

    EXPECT_EQ(box.itemText(1), QStringLiteral(" to Phones"));
    EXPECT_EQ(box.itemText(2), QStringLiteral(" to Web"));
    for (int k = 0; k < 2; ++k) {
        const OutputFormat* group = box.FormatAt(1 + k);
        EXPECT_EQ(group->FormatId, 21001 + k);
        EXPECT_EQ(group->Family, formats::FamilyCustomGroup);
        EXPECT_EQ(group->CustomFormat, &groups[k]);
        EXPECT_EQ(box.ItemTextColor(1 + k), QColor(0x88, 0x00, 0x88));
    }

    // Catalogue entries in catalogue order, coloured by family, all on white.
    const QColor byFamily[] = {QColor(0x99, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0xAA), QColor(0, 0x66, 0)};
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        const int index = 3 + static_cast<int>(i);
        EXPECT_EQ(box.FormatAt(index), &catalogue[i]);
        EXPECT_EQ(box.ItemTextColor(index), byFamily[catalogue[i].Family]) << i;
        EXPECT_EQ(box.ItemBackColor(index), QColor(Qt::white));
    }
    EXPECT_EQ(box.FormatAt(3)->FormatId, 10);
    EXPECT_EQ(box.currentIndex(), box.IndexOfFormat(110));
    EXPECT_EQ(settings.OutputFormat, 110);
}

TEST_F(OutputFormatBoxTest, EntryTexts) {
    OutputFormat labelled;
    labelled.Label = "H.264 AVC";
    labelled.Extension = "mp4";
    EXPECT_EQ(FormatBoxText(labelled, true), " to H.264 AVC (*.mp4)");
    EXPECT_EQ(FormatBoxText(labelled, false), " H.264 AVC (*.mp4)");
    OutputFormat bare;
    bare.Extension = "mp3";
    EXPECT_EQ(FormatBoxText(bare, true), " to MP3");
    EXPECT_EQ(FormatBoxText(bare, false), " MP3");

    box.Fill(catalogue, groups, settings);
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        EXPECT_EQ(box.itemText(1 + static_cast<int>(i)).toStdString(), FormatBoxText(catalogue[i], true));
    }
}

TEST_F(OutputFormatBoxTest, StoredFormatOrFallbackToPositionOne) {
    // The customize entry, an unknown id, or a group that is gone: position 1 as if chosen.
    for (int32_t stored : {20000, 4242, 21003}) {
        settings.OutputFormat = stored;
        box.Fill(catalogue, groups, settings);
        EXPECT_EQ(box.currentIndex(), 1) << stored;
        EXPECT_EQ(settings.OutputFormat, 10) << stored;  // 3G2 without groups
        EXPECT_EQ(box.SelectedFormat()->FormatId, 10);
    }

    groups = {{"Phones", {80}}};
    settings.OutputFormat = 21002;
    box.Fill(catalogue, groups, settings);
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(settings.OutputFormat, 21001);

    settings.OutputFormat = 1160;
    box.Fill(catalogue, groups, settings);
    EXPECT_EQ(box.SelectedFormat()->FormatId, 1160);
}

TEST_F(OutputFormatBoxTest, SelectionStoresTheIdentifier) {
    box.Fill(catalogue, groups, settings);
    std::vector<int> chosen;
    QObject::connect(&box, &OutputFormatBox::FormatChosen, [&](int id) { chosen.push_back(id); });
    const int mp3 = box.IndexOfFormat(1160);
    box.setCurrentIndex(box.IndexOfFormat(80));
    Q_EMIT box.activated(box.IndexOfFormat(80));
    EXPECT_EQ(settings.OutputFormat, 80);
    box.OnOutputFormatSelected(-1);
    EXPECT_EQ(settings.OutputFormat, 1160);
    EXPECT_EQ(chosen, (std::vector<int>{80, 1160}));
    EXPECT_GT(mp3, 0);
}

TEST_F(OutputFormatBoxTest, CustomizeEntryRebuildsGroupsAndSelectsAgain) {
    groups = {{"A", {10}}, {"B", {80}}, {"C", {1160}}};
    settings.OutputFormat = 21003;  // group C
    box.Fill(catalogue, groups, settings);
    ASSERT_EQ(box.currentIndex(), 3);

    formats::CustomFormatList edited;
    int requests = 0;
    QObject::connect(&box, &OutputFormatBox::CustomizeRequested, [&] {
        ++requests;
        // The dialog removes group A: the groups behind it move up and are renumbered.
        edited = {{"B", {80}}, {"C", {1160}}};
        box.RebuildCustomGroups(edited);
    });
    box.setCurrentIndex(0);
    Q_EMIT box.activated(0);
    EXPECT_EQ(requests, 1);
    ASSERT_EQ(box.count(), 3 + static_cast<int>(catalogue.size()));
    EXPECT_EQ(box.itemText(1), QStringLiteral(" to B"));
    EXPECT_EQ(box.FormatAt(2)->FormatId, 21002);
    EXPECT_EQ(box.FormatAt(2)->CustomFormat, &edited[1]);
    // 21003 does not exist any more: position 1 is chosen.
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(settings.OutputFormat, 21001);

    // Cancelled dialog: the stored format is selected again.
    settings.OutputFormat = 1160;
    box.setCurrentIndex(box.IndexOfFormat(1160));
    QObject::disconnect(&box, &OutputFormatBox::CustomizeRequested, nullptr, nullptr);
    box.setCurrentIndex(0);
    Q_EMIT box.activated(0);
    EXPECT_EQ(box.SelectedFormat()->FormatId, 1160);
    EXPECT_EQ(settings.OutputFormat, 1160);
}

TEST_F(OutputFormatBoxTest, PageBoxHasCatalogueOnly) {
    ColorComboBox page;
    FillPageFormatBox(page, catalogue, 1160);
    ASSERT_EQ(page.count(), static_cast<int>(catalogue.size()));
    EXPECT_EQ(static_cast<const OutputFormat*>(page.GetItemUser(page.currentIndex()))->FormatId, 1160);
    EXPECT_EQ(page.ItemTextColor(0), QColor(0, 0, 0));
    EXPECT_EQ(page.ItemTextColor(page.count() - 1), QColor(0x99, 0, 0));
    EXPECT_FALSE(page.itemText(0).startsWith(QStringLiteral(" to ")));
    FillPageFormatBox(page, catalogue, 21001);
    EXPECT_EQ(page.currentIndex(), 0);
}

}  // namespace
}  // namespace quillon::ui
