// An ordered list of texts, each tagged with an integer (0 when not given):
// the string lists of the language catalogue, the form texts and the search.
#pragma once

#include <string>
#include <vector>

template <class Text>
struct TTaggedList {
    struct Item {
        Text text;
        int tag = 0;
        bool operator==(const Item&) const = default;
    };
    std::vector<Item> items;

    size_t Count() const { return items.size(); }
    bool Empty() const { return items.empty(); }
    const Text& operator[](size_t i) const { return items[i].text; }
    int Tag(size_t i) const { return items[i].tag; }
    void Add(Text text, int tag = 0) { items.push_back({std::move(text), tag}); }
    void Clear() { items.clear(); }
    std::vector<Text> Texts() const {
        std::vector<Text> texts;
        texts.reserve(items.size());
        for (const Item& item : items) texts.push_back(item.text);
        return texts;
    }
};

using TWideStringList = TTaggedList<std::wstring>;  // the lists of wide texts
using TAnsiStringList = TTaggedList<std::string>;   // the lists of 8-bit texts
