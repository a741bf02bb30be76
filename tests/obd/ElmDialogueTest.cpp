// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include <gtest/gtest.h>

#include "obd/core/ElmDialogue.h"

namespace {
using Condition = ElmDialogue::Condition;

// Through the reset and the set-up; returns the first PID request.
ElmDialogue::Request ThroughSetUp(ElmDialogue& dialogue) {
    EXPECT_EQ(dialogue.Start().text, "ATZ");
    std::vector<std::string> sent;
    auto step = dialogue.OnReply("ATZ\r\rELM327 v1.5\r\r");
    while (step.next && step.next->text.starts_with("AT")) {
        sent.push_back(step.next->text);
        step = dialogue.OnReply("OK\r\r");
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"ATE0", "ATL0", "ATS0", "ATSP0"}));
    EXPECT_EQ(dialogue.AdapterName(), "ELM327 v1.5");
    return *step.next;
}

TEST(ElmDialogue, PollsTheTrimsFirstAndGivesARoundAfterTheLastPid) {
    ElmDialogue dialogue;
    auto request = ThroughSetUp(dialogue);
    EXPECT_EQ(request.wait, ElmDialogue::kSearchWait);  // the bus is searched first
    const std::vector<std::pair<std::string, std::string>> answers = {
        {"0106", "SEARCHING...\r4106A0"},
        {"0107", "410780"},
        {"010C", "410C1AF8"},
        {"0105", "NO DATA"},
        {"0104", "410440"}};
    ElmDialogue::Step step;
    for (const auto& [asked, answer] : answers) {
        EXPECT_EQ(request.text, asked);
        EXPECT_FALSE(step.round);
        step = dialogue.OnReply(answer + "\r\r");
        request = *step.next;
        if (asked == "0106") {
            EXPECT_EQ(request.wait, ElmDialogue::kPidWait);
        }
    }
    ASSERT_TRUE(step.round);
    EXPECT_EQ(step.round->shortTrim, 0xA0);
    EXPECT_EQ(step.round->longTrim, 0x80);
    EXPECT_EQ(step.round->rpm, 0x1AF8);
    EXPECT_FALSE(step.round->coolant);  // NO DATA leaves it out
    EXPECT_EQ(step.round->load, 0x40);
    EXPECT_EQ(request.text, "0106");  // and round again, at once
    EXPECT_EQ(request.pause.count(), 0);
    EXPECT_EQ(dialogue.GetCondition(), Condition::Reading);
}

struct QuietCase {
    const char* answer;
    Condition condition;
};

TEST(ElmDialogue, ARoundWithoutAnswersGivesNothingAndWaitsBeforeTheNext) {
    for (const QuietCase& quiet :
         {QuietCase{"NO DATA", Condition::NoData},
          QuietCase{"UNABLE TO CONNECT", Condition::BusFault}, QuietCase{"?", Condition::NoData},
          QuietCase{"#~%junk", Condition::Garbled}}) {
        ElmDialogue dialogue;
        ThroughSetUp(dialogue);
        ElmDialogue::Step step;
        for (int pid = 0; pid < 5; ++pid) step = dialogue.OnReply(quiet.answer);
        EXPECT_FALSE(step.round) << quiet.answer;
        EXPECT_EQ(step.next->pause, ElmDialogue::kQuietRoundPause);
        EXPECT_EQ(dialogue.GetCondition(), quiet.condition) << quiet.answer;
    }
}

TEST(ElmDialogue, SomethingElseThanAnAdapterIsNoAdapter) {
    ElmDialogue dialogue;
    dialogue.Start();
    EXPECT_FALSE(dialogue.OnReply("\xab\x01\x02garbage").next);
    EXPECT_EQ(dialogue.GetCondition(), Condition::NoAdapter);
    dialogue.Start();
    EXPECT_FALSE(dialogue.OnSilence().next);  // no prompt to the reset
}

TEST(ElmDialogue, ADroppedReplyMovesOnButThreeInARowAreAnAdapterGone) {
    ElmDialogue dialogue;
    ThroughSetUp(dialogue);
    auto step = dialogue.OnSilence();
    EXPECT_EQ(step.next->text, "0107");
    step = dialogue.OnReply("410780");  // an answer between silences starts the count again
    EXPECT_TRUE(dialogue.OnSilence().next);
    EXPECT_TRUE(dialogue.OnSilence().next);
    EXPECT_FALSE(dialogue.OnSilence().next);
    EXPECT_EQ(dialogue.GetCondition(), Condition::NoAdapter);
}
}  // namespace
