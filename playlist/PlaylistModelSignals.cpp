#include "PlaylistModelSignals.h"

#include "PlaylistModel.h"

namespace tavora {

PlaylistModelSignals::PlaylistModelSignals(PlaylistModel& model, QObject* parent) : QObject(parent), model_(model) {
    model_.AddObserver(this);
}

PlaylistModelSignals::~PlaylistModelSignals() { model_.RemoveObserver(this); }

void PlaylistModelSignals::RowsRemoved(const std::vector<int>& rows) {
    emit rowsRemoved(QList<int>(rows.begin(), rows.end()));
}

}  // namespace tavora
