#pragma once
// The playlist's changes as Qt signals, for the list control and the playlist window.
//
// Threading: the object lives on the thread that creates it (the UI thread). The model
// calls it on whichever thread changed the list; the signals are emitted from there,
// so receivers on the UI thread must connect with Qt::QueuedConnection (or the default
// AutoConnection, which queues across threads) and read the model when the signal
// arrives. Create it after the model and destroy it before the model.

#include <QList>
#include <QObject>

#include "PlaylistObserver.h"

namespace tavora {

class PlaylistModel;

class PlaylistModelSignals : public QObject, private PlaylistObserver {
    Q_OBJECT
public:
    explicit PlaylistModelSignals(PlaylistModel& model, QObject* parent = nullptr);
    ~PlaylistModelSignals() override;

signals:
    void rowsAdded(int first, int count);
    void rowsRemoved(const QList<int>& rows);
    void allRowsRemoved();
    void rowsMoved(int first);
    void rowsChanged(int first, int count);
    void currentRowChanged(int row);
    void layoutNeeded(int rowCount);

private:
    void RowsAdded(int first, int count) override { emit rowsAdded(first, count); }
    void RowsRemoved(const std::vector<int>& rows) override;
    void AllRowsRemoved() override { emit allRowsRemoved(); }
    void RowsMoved(int first) override { emit rowsMoved(first); }
    void RowsChanged(int first, int count) override { emit rowsChanged(first, count); }
    void CurrentRowChanged(int row) override { emit currentRowChanged(row); }
    void LayoutNeeded(int rowCount) override { emit layoutNeeded(rowCount); }

    PlaylistModel& model_;
};

}  // namespace tavora
