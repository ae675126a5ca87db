#pragma once

#include <optional>

// The list display as the scheduler sees it; the main window's list view supplies it.
class IListView {
public:
    virtual ~IListView() = default;
    // Index of the first selected row, if any.
    virtual std::optional<int> SelectedItem() const = 0;
    // The element index that a row stands for.
    virtual int ElementIndexOfRow(int row) const = 0;
    // Deletes every row and inserts one per element.
    virtual void RefillList() = 0;
    // Selects the row at that position; nothing is selected when there is none.
    virtual void SelectRow(int row) = 0;
};

// Repeating timers of the main window, by id.
class ITimers {
public:
    virtual ~ITimers() = default;
    virtual void Start(int id, int periodMs) = 0;
    virtual void Stop(int id) = 0;
};

// A run with no list on screen and no timers, such as a command-line check: the checks run
// once and nothing is redrawn or selected.
class CUnattendedList : public IListView, public ITimers {
public:
    std::optional<int> SelectedItem() const override { return std::nullopt; }
    int ElementIndexOfRow(int row) const override { return row; }
    void RefillList() override {}
    void SelectRow(int) override {}
    void Start(int, int) override {}
    void Stop(int) override {}
};
