#pragma once

#include <optional>

// The list display as the scheduler sees it; the main window's list view supplies it.
class IListView {
public:
    virtual ~IListView() = default;
    // Index of the first selected item, if any.
    virtual std::optional<int> SelectedItem() const = 0;
    // The element index that an item stands for.
    virtual int ItemData(int item) const = 0;
    // Deletes every item and inserts one per element.
    virtual void RefillList() = 0;
    virtual void SelectItem(int item) = 0;
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
    int ItemData(int item) const override { return item; }
    void RefillList() override {}
    void SelectItem(int) override {}
    void Start(int, int) override {}
    void Stop(int) override {}
};
