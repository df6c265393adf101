#pragma once
// The Customize Output Formats dialog, the small dialog that asks for a group's name, and the
// main window's handling of the output-format box's "Customize Output Formats" entry.

#include <QDialog>

#include <memory>
#include <optional>

#include "app/custom_formats_editor.h"
#include "formats/custom_output_format.h"
#include "formats/output_format.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillon::ui {

class MainWindow;

// One text field with OK and Cancel; an empty text is refused.
class InputDialog : public QDialog {
    Q_OBJECT
public:
    InputDialog(const QString& title, const QString& text, QWidget* parent = nullptr);
    QString Text() const;
    QLineEdit* Field() const { return field_; }
    void accept() override;

private:
    QLineEdit* field_ = nullptr;
};

class CustomFormatsDialog : public QDialog {
    Q_OBJECT
public:
    // Asks for a name: (parent, title, current name) -> the name, or nothing on Cancel.
    using NameAsker = std::function<std::optional<QString>(QWidget*, const QString&, const QString&)>;

    CustomFormatsDialog(const formats::FormatCatalogue& catalogue, const formats::CustomFormatList& groups,
                        QWidget* parent = nullptr);

    const app::CustomFormatsEditor& Editor() const { return editor_; }
    void accept() override;

    void OnNew();
    void OnEdit();
    void OnRemove();
    void OnAdd();      // ">>"
    void OnTakeOut();  // "<<"

    static void SetNameAsker(NameAsker asker);

    QListWidget* GroupList() const { return groups_; }
    QListWidget* AvailableList() const { return available_; }
    QListWidget* OutputList() const { return output_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* TakeOutButton() const { return takeOut_; }

private:
    void ShowGroups();
    void ShowFormats();
    static std::vector<int> SelectedRows(QListWidget* list);

    app::CustomFormatsEditor editor_;
    QListWidget* groups_ = nullptr;
    QListWidget* available_ = nullptr;
    QListWidget* output_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* takeOut_ = nullptr;
};

// Runs the dialog on copies; the new group list after OK, nothing after Cancel.
std::optional<formats::CustomFormatList> EditCustomFormats(QWidget* parent, const formats::FormatCatalogue& catalogue,
                                                           const formats::CustomFormatList& groups);

// What the main window does when "Customize Output Formats" is chosen: on OK the groups are
// replaced, saved and their box entries rebuilt. The box selects the stored format afterwards.
void CustomizeOutputFormats(MainWindow& window);

}  // namespace quillon::ui
