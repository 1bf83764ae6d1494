#pragma once

#include <QList>
#include <memory>

// The item handling shared by the collections of a title bar (buttons,
// sections). Self provides `void Update(Item*)` (a change: repaint) and
// Item is constructed from `Self*` and provides `Assign(const Item&)`.
// Items are owned and kept in order; out-of-range look-ups give null
// instead of reading past the end.
template <class Item, class Self> class TskCollection {
public:
    TskCollection() = default;
    TskCollection(const TskCollection&) = delete;
    TskCollection& operator=(const TskCollection&) = delete;
    ~TskCollection() { clearItems(); }

    Item* Add() {
        auto* item = new Item(self());
        m_items.append(item);
        self()->Update(item);
        return item;
    }
    Item* Items(int index) const {
        return index >= 0 && index < m_items.size() ? m_items[index] : nullptr;
    }
    int Count() const { return int(m_items.size()); }
    int IndexOf(const Item* item) const { return int(m_items.indexOf(const_cast<Item*>(item))); }
    void Delete(int index) {
        if (index < 0 || index >= m_items.size())
            return;
        delete m_items.takeAt(index);
        self()->Update(nullptr);
    }
    void Clear() {
        clearItems();
        self()->Update(nullptr);
    }
    // Replaces the items by copies of Source's items.
    void Assign(const Self& source) {
        if (&source == self())
            return;
        clearItems();
        for (int i = 0; i < source.Count(); ++i)
            Add()->Assign(*source.Items(i));
        self()->Update(nullptr);
    }

private:
    Self* self() { return static_cast<Self*>(this); }
    const Self* self() const { return static_cast<const Self*>(this); }
    void clearItems() {
        while (!m_items.isEmpty())
            delete m_items.takeLast();
    }

    QList<Item*> m_items;
};
