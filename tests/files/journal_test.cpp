// The journal a worker process leaves for its parent: read back exactly, or not at all.
#include <gtest/gtest.h>

#include "host/files/staging.h"

namespace {

using host::workers::Event;
using namespace std::string_literals;

TEST(WorkerJournal, RoundTripsAnyBytesAndRefusesEveryCutShortText) {
  const std::vector<Event> events = {
      {Event::Write, {"/s/out-1", "/d/4711_A_1.pdf"}},
      {Event::Move, {"/d/a b.dxf", "/d/a b.dxf.org"}},
      {Event::Line, {"zeile\nmit 12:doppelpunkt und \0 null"s}},
      {Event::Problems, {"2"}},
      {Event::Report, {""}},
  };
  const std::string text = host::workers::encode_journal(events);
  const auto back = host::workers::decode_journal(text);
  ASSERT_TRUE(back.has_value());
  ASSERT_EQ(back->size(), events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ((*back)[i].kind, events[i].kind);
    EXPECT_EQ((*back)[i].fields, events[i].fields);
  }
  // A worker that died while writing leaves a prefix: none of them is taken for a journal.
  for (std::size_t cut = 0; cut < text.size(); ++cut)
    EXPECT_FALSE(host::workers::decode_journal(text.substr(0, cut)).has_value()) << cut;
  EXPECT_FALSE(host::workers::decode_journal(text + "W1\n").has_value());
}

}  // namespace
