#pragma once
// A quiet line in the middle of an empty list saying what to do with it. It lets the mouse
// and drops through to the list.

#include <QLabel>

class QAbstractItemView;

namespace quillon::ui {

class EmptyListHint final : public QLabel {
    Q_OBJECT
public:
    explicit EmptyListHint(QAbstractItemView* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refresh();

    QAbstractItemView* view_;
};

inline constexpr const char* kEmptyListHintText = "Drop video and audio files or folders here";

}  // namespace quillon::ui
