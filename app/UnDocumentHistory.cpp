// The document's undo history: snapshots of the document's file bytes, one per step.
#include "app/UnDocumentHistory.h"

#include <stdexcept>
#include <utility>

void TDocumentHistory::Reset(std::string bytes, bool isSaved) {
    states.clear();
    states.push_back({std::string(), std::move(bytes), 0});
    current = 0;
    saved = 0;
    savedKnown = isSaved;
}

bool TDocumentHistory::Record(const std::string& label, std::string bytes, int selected) {
    if (states.empty()) {
        Reset(std::move(bytes), false);
        return false;
    }
    if (bytes == Current()) {
        states[current].Selected = selected;
        return false;
    }
    states.erase(states.begin() + static_cast<std::ptrdiff_t>(current) + 1, states.end());
    if (savedKnown && saved > current) savedKnown = false; // the saved state is gone
    states.push_back({label, std::move(bytes), selected});
    ++current;
    while (states.size() > MaxSteps + 1) {
        states.pop_front();
        --current;
        if (savedKnown && saved == 0)
            savedKnown = false;
        else if (saved > 0)
            --saved;
    }
    return true;
}

void TDocumentHistory::MarkSaved() {
    saved = current;
    savedKnown = !states.empty();
}

std::string TDocumentHistory::UndoLabel() const {
    return CanUndo() ? states[current].Label : std::string();
}

std::string TDocumentHistory::RedoLabel() const {
    return CanRedo() ? states[current + 1].Label : std::string();
}

const std::string& TDocumentHistory::Undo() {
    if (!CanUndo()) throw std::logic_error("nothing to undo");
    return states[--current].Bytes;
}

const std::string& TDocumentHistory::Redo() {
    if (!CanRedo()) throw std::logic_error("nothing to redo");
    return states[++current].Bytes;
}
