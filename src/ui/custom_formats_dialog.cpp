#include "ui/custom_formats_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/main_window.h"
#include "ui/output_format_box.h"
#include "ui/ui_services.h"

namespace quillon::ui {

namespace {

CustomFormatsDialog::NameAsker& Asker() {
    static CustomFormatsDialog::NameAsker asker;
    return asker;
}

std::optional<QString> AskName(QWidget* parent, const QString& title, const QString& name) {
    if (Asker()) return Asker()(parent, title, name);
    InputDialog dialog(title, name, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Text();
}

QLabel* Label(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

InputDialog::InputDialog(const QString& title, const QString& text, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    field_ = new QLineEdit(text, this);
    field_->setMinimumWidth(280);
    layout->addWidget(field_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &InputDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &InputDialog::reject);
}

QString InputDialog::Text() const { return field_->text(); }

void InputDialog::accept() {
    if (field_->text().isEmpty()) {
        Services().ShowMessage(this, MessageIcon::Warning,
                               QStringLiteral("Please input a %1.").arg(QStringLiteral("name")));
        field_->setFocus();
        return;
    }
    QDialog::accept();
}

void CustomFormatsDialog::SetNameAsker(NameAsker asker) { Asker() = std::move(asker); }

CustomFormatsDialog::CustomFormatsDialog(const formats::FormatCatalogue& catalogue,
                                         const formats::CustomFormatList& groups, QWidget* parent)
    : QDialog(parent), editor_(catalogue, groups) {
    setWindowTitle(QStringLiteral("Customize Output Formats"));
    auto* layout = new QGridLayout(this);

    groups_ = new QListWidget(this);
    groups_->setSelectionMode(QAbstractItemView::SingleSelection);
    groups_->setMaximumHeight(110);
    layout->addWidget(Label(QStringLiteral("&Custom Formats List:"), groups_, this), 0, 0, 1, 3);
    layout->addWidget(groups_, 1, 0, 1, 3);
    auto* groupButtons = new QVBoxLayout;
    auto* newButton = new QPushButton(QStringLiteral("&New"), this);
    auto* editButton = new QPushButton(QStringLiteral("&Edit"), this);
    auto* removeButton = new QPushButton(QStringLiteral("&Remove"), this);
    groupButtons->addWidget(newButton);
    groupButtons->addWidget(editButton);
    groupButtons->addWidget(removeButton);
    groupButtons->addStretch();
    layout->addLayout(groupButtons, 1, 3);

    available_ = new QListWidget(this);
    output_ = new QListWidget(this);
    for (QListWidget* list : {available_, output_}) {
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setMinimumSize(260, 320);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    layout->addWidget(Label(QStringLiteral("&Available Formats:"), available_, this), 2, 0);
    layout->addWidget(Label(QStringLiteral("&Output Formats:"), output_, this), 2, 2);
    layout->addWidget(available_, 3, 0);
    auto* moveButtons = new QVBoxLayout;
    add_ = new QPushButton(QStringLiteral(">>"), this);
    takeOut_ = new QPushButton(QStringLiteral("<<"), this);
    moveButtons->addStretch();
    moveButtons->addWidget(add_);
    moveButtons->addWidget(takeOut_);
    moveButtons->addStretch();
    layout->addLayout(moveButtons, 3, 1);
    layout->addWidget(output_, 3, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons, 4, 0, 1, 4);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(2, 1);

    connect(buttons, &QDialogButtonBox::accepted, this, &CustomFormatsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CustomFormatsDialog::reject);
    connect(newButton, &QPushButton::clicked, this, &CustomFormatsDialog::OnNew);
    connect(editButton, &QPushButton::clicked, this, &CustomFormatsDialog::OnEdit);
    connect(removeButton, &QPushButton::clicked, this, &CustomFormatsDialog::OnRemove);
    connect(groups_, &QListWidget::itemDoubleClicked, this, [this] { OnEdit(); });
    connect(groups_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row == editor_.Selected()) return;
        editor_.SelectGroup(row);
        ShowFormats();
    });
    connect(add_, &QPushButton::clicked, this, &CustomFormatsDialog::OnAdd);
    connect(takeOut_, &QPushButton::clicked, this, &CustomFormatsDialog::OnTakeOut);
    connect(available_, &QListWidget::itemDoubleClicked, this, [this] { OnAdd(); });
    connect(output_, &QListWidget::itemDoubleClicked, this, [this] { OnTakeOut(); });
    connect(available_, &QListWidget::itemSelectionChanged, this,
            [this] { add_->setEnabled(!available_->selectedItems().isEmpty()); });
    connect(output_, &QListWidget::itemSelectionChanged, this,
            [this] { takeOut_->setEnabled(!output_->selectedItems().isEmpty()); });

    ShowGroups();
}

void CustomFormatsDialog::ShowGroups() {
    const QSignalBlocker block(groups_);
    groups_->clear();
    for (const formats::CustomOutputFormat& group : editor_.Groups()) {
        groups_->addItem(QString::fromStdString(group.name));
    }
    groups_->setCurrentRow(editor_.Selected());
    if (editor_.Selected() < 0) groups_->clearSelection();
    ShowFormats();
}

void CustomFormatsDialog::ShowFormats() {
    for (auto [list, formats] : {std::pair{available_, &editor_.Available()}, std::pair{output_, &editor_.Output()}}) {
        const QSignalBlocker block(list);
        list->clear();
        for (const formats::OutputFormat* format : *formats) {
            list->addItem(QString::fromStdString(app::FormatListText(*format)));
        }
    }
    add_->setEnabled(false);
    takeOut_->setEnabled(false);
}

std::vector<int> CustomFormatsDialog::SelectedRows(QListWidget* list) {
    std::vector<int> rows;
    for (const QListWidgetItem* item : list->selectedItems()) rows.push_back(list->row(item));
    return rows;
}

void CustomFormatsDialog::OnAdd() {
    editor_.MoveToOutput(SelectedRows(available_));
    ShowFormats();
}

void CustomFormatsDialog::OnTakeOut() {
    editor_.MoveToAvailable(SelectedRows(output_));
    ShowFormats();
}

void CustomFormatsDialog::OnNew() {
    const std::optional<QString> name = AskName(this, QStringLiteral("Input a Name"), QString());
    if (!name) return;
    editor_.AddGroup(name->toStdString());
    ShowGroups();
}

void CustomFormatsDialog::OnEdit() {
    const int selected = editor_.Selected();
    if (selected < 0) return;
    const std::optional<QString> name =
        AskName(this, QStringLiteral("Edit Name"), QString::fromStdString(editor_.Groups()[selected].name));
    if (!name) return;
    editor_.RenameSelected(name->toStdString());
    ShowGroups();
}

void CustomFormatsDialog::OnRemove() {
    if (editor_.Selected() < 0) return;
    editor_.RemoveSelected();
    ShowGroups();
}

void CustomFormatsDialog::accept() {
    const int empty = editor_.FirstEmptyGroup();
    if (empty >= 0) {
        Services().ShowMessage(this, MessageIcon::Warning,
                               QString::fromStdString(app::EmptyGroupMessage(editor_.Groups()[empty].name)));
        editor_.SelectGroup(empty);
        ShowGroups();
        return;
    }
    QDialog::accept();
}

std::optional<formats::CustomFormatList> EditCustomFormats(QWidget* parent, const formats::FormatCatalogue& catalogue,
                                                           const formats::CustomFormatList& groups) {
    CustomFormatsDialog dialog(catalogue, groups, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Editor().Groups();
}

void CustomizeOutputFormats(MainWindow& window) {
    std::optional<formats::CustomFormatList> groups =
        EditCustomFormats(&window, window.Catalogue(), window.CustomGroups());
    if (!groups) return;
    window.CustomGroups() = std::move(*groups);
    window.AppSession().SaveCustomGroups();
    window.FormatBox()->RebuildCustomGroups(window.CustomGroups());
}

}  // namespace quillon::ui
