// The document's undo history: one snapshot of the document's file bytes per step.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

// States in order, the current one among them; each state after the first names the step that
// led to it. The saved state (the bytes on disk) is remembered, so "modified" follows undo/redo.
class TDocumentHistory {
  public:
    // The most steps kept; older ones are dropped.
    static constexpr size_t MaxSteps = 200;

    // A new history holding one state: a document just made, opened or recovered (saved false).
    void Reset(std::string bytes, bool saved);
    // selected: the current object after the step, given back with its state by Undo and Redo.
    // The document after a command: a new step named label, dropping the states after the
    // current one. Bytes equal to the current state's record nothing; returns whether a step came.
    bool Record(const std::string& label, std::string bytes, int selected = 0);
    // The current state is what the document's file now holds.
    void MarkSaved();

    bool CanUndo() const { return current > 0; }
    bool CanRedo() const { return current + 1 < states.size(); }
    // The step Undo takes back and the one Redo does again (empty when there is none).
    std::string UndoLabel() const;
    std::string RedoLabel() const;
    // Moves one step back or forth and returns the bytes of the state now current.
    const std::string& Undo();
    const std::string& Redo();

    const std::string& Current() const { return states.at(current).Bytes; }
    int CurrentSelection() const { return states.at(current).Selected; }
    // Another object became current (no step).
    void SetSelection(int selected) {
        if (!states.empty()) states[current].Selected = selected;
    }
    bool Modified() const { return !savedKnown || saved != current; }
    size_t StepCount() const { return states.empty() ? 0 : states.size() - 1; }

  private:
    struct State {
        std::string Label; // the step that led here
        std::string Bytes;
        int Selected = 0;
    };
    std::deque<State> states;
    size_t current = 0;
    size_t saved = 0;
    bool savedKnown = false; // false once the saved state was dropped or never existed
};
