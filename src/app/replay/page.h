#pragma once

namespace velaro {

// What the map area shows: the replay on the Track page; on the others a
// picture in its place: the graph (the Table page writes the table too),
// the gaps to the leader, or the focused boats' polars.
enum class Page { Track, Graph, Table, Gaps, Polars };

// The page as the replay rules count it: 1 the Track page, 2 any page whose
// picture covers the map, where the clock stands still.
constexpr int replayPageNumber(Page page) {
  return page == Page::Track ? 1 : 2;
}

// The Graph and Table pages share the graph picture.
constexpr bool showsGraph(Page page) {
  return page == Page::Graph || page == Page::Table;
}

}  // namespace velaro
