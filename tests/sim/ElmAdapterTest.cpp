// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The ELM327 dialogue of dx470-sim's OBD adapter, without the pseudo-terminal.
#include <gtest/gtest.h>

#include <set>

#include "sim/ElmAdapter.h"

namespace {

using namespace std::chrono_literals;

EcuReadings runningEngine() {
    EcuReadings readings;
    readings.running = true;
    readings.rpm = 1650;
    readings.loadPercent = 30;
    readings.coolantCelsius = 90;
    readings.shortTrimPercent = 8;
    readings.longTrimPercent = -3;
    return readings;
}

// One request at a time, each answered once its delay has passed.
class Dialogue {
public:
    explicit Dialogue(const ElmAdapter::Settings& settings = {}) : adapter(settings) {}

    // What comes back at once, then the answer.
    std::string ask(std::string_view bytes, const EcuReadings& ecu = runningEngine()) {
        std::string text = adapter.receive(bytes, now);
        now += 1s;
        return text + adapter.answerDue(now, ecu);
    }
    // Echo off and the protocol chosen, so that answers come bare.
    Dialogue& quiet() {
        ask("ATE0\r");
        ask("ATSP6\r");
        return *this;
    }

    ElmAdapter adapter;
    ElmAdapter::Time now{0};
};

TEST(ElmAdapter, InitialisesAsAClientDoesAndSearchesBeforeTheFirstRequest) {
    Dialogue elm;
    EXPECT_EQ(elm.ask("ATL1\r"), "ATL1\rOK\r\n\r\n>");
    EXPECT_EQ(elm.ask("ATZ\r"), "ATZ\r\n\r\rELM327 v1.5\r\r>");
    EXPECT_EQ(elm.ask("ATE0\r"), "ATE0\rOK\r\r>");
    EXPECT_EQ(elm.ask("ATL1\r"), "OK\r\n\r\n>");
    EXPECT_EQ(elm.ask("ATL0\r"), "OK\r\r>");
    EXPECT_EQ(elm.ask("ATS0\r"), "OK\r\r>");
    EXPECT_EQ(elm.ask("ATSP0\r"), "OK\r\r>");
    EXPECT_EQ(elm.ask("010C\r"), "SEARCHING...\r410C19C8\r\r>");
    EXPECT_EQ(elm.ask("010C\r"), "410C19C8\r\r>");
    EXPECT_EQ(elm.ask("ATSP0\r"), "OK\r\r>");
    EXPECT_EQ(elm.ask("0105\r"), "SEARCHING...\r410582\r\r>");
}

struct AnswerCase {
    const char* request;
    const char* answer;
};

class ElmAnswers : public testing::TestWithParam<AnswerCase> {};

TEST_P(ElmAnswers, AnswerTheRequest) {
    Dialogue elm;
    EXPECT_EQ(elm.quiet().ask(GetParam().request), GetParam().answer + std::string("\r\r>"));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ElmAnswers,
    testing::Values(AnswerCase{"ATI\r", "ELM327 v1.5"},
                    AnswerCase{"ATDP\r", "AUTO, ISO 15765-4 (CAN 11/500)"},
                    AnswerCase{"ATRV\r", "12.6V"}, AnswerCase{"ATH1\r", "OK"},
                    AnswerCase{"ATSPA\r", "OK"}, AnswerCase{"ATAT2\r", "OK"},
                    AnswerCase{"at st 32\r", "OK"}, AnswerCase{"ATSPB\r", "?"},
                    AnswerCase{"ATE2\r", "?"}, AnswerCase{"HELLO\r", "?"}, AnswerCase{"010\r", "?"},
                    AnswerCase{"ATZZ\r", "?"}, AnswerCase{"0100\r", "41 00 1E 10 00 00"},
                    AnswerCase{"0104\r", "41 04 4D"}, AnswerCase{"01 05\r", "41 05 82"},
                    AnswerCase{"0107\n", "41 07 7C"}, AnswerCase{"010c\r\n", "41 0C 19 C8"},
                    AnswerCase{"0110\r", "NO DATA"}, AnswerCase{"0902\r", "NO DATA"},
                    AnswerCase{"010C01\r", "NO DATA"}));

TEST(ElmAdapter, EchoesTheRequestAsTypedUntilEchoIsOff) {
    Dialogue elm;
    EXPECT_EQ(elm.ask("ATSP6\r"), "ATSP6\rOK\r\r>");
    EXPECT_EQ(elm.ask("01 0c\r"), "01 0c\r41 0C 19 C8\r\r>");
    EXPECT_EQ(elm.ask("ATE0\r"), "ATE0\rOK\r\r>");
    EXPECT_EQ(elm.ask("0105\r"), "41 05 82\r\r>");
    elm.adapter.powerOn();
    EXPECT_EQ(elm.ask("ATI\r"), "ATI\rELM327 v1.5\r\r>");
}

TEST(ElmAdapter, AStoppedEngineAnswersOnlyWhichPidsItKnows) {
    Dialogue elm;
    elm.quiet();
    const EcuReadings stopped;
    EXPECT_EQ(elm.ask("0106\r", stopped), "NO DATA\r\r>");
    EXPECT_EQ(elm.ask("010C\r", stopped), "NO DATA\r\r>");
    EXPECT_EQ(elm.ask("0100\r", stopped), "41 00 1E 10 00 00\r\r>");
}

TEST(ElmAdapter, AnEmptyRequestRepeatsTheLastOne) {
    Dialogue elm;
    elm.quiet();
    EXPECT_EQ(elm.ask("0105\r"), "41 05 82\r\r>");
    EXPECT_EQ(elm.ask("\r"), "41 05 82\r\r>");
}

TEST(ElmAdapter, AnswersComeOnlyAfterTheDelay) {
    Dialogue elm({.delay = 200ms});
    EXPECT_EQ(elm.adapter.receive("ATI\r", 0s), "ATI\r");
    EXPECT_EQ(elm.adapter.deadline(), ElmAdapter::Time(200ms));
    EXPECT_EQ(elm.adapter.answerDue(199ms, runningEngine()), "");
    EXPECT_EQ(elm.adapter.answerDue(200ms, runningEngine()), "ELM327 v1.5\r\r>");
    EXPECT_FALSE(elm.adapter.deadline());
}

// A client that does not wait for the prompt: its next byte stops a request
// to the car and is lost; after an AT command it waits its turn.
TEST(ElmAdapter, AByteBeforeTheAnswerStopsARequestToTheCar) {
    Dialogue elm;
    elm.quiet();
    EXPECT_EQ(elm.adapter.receive("0105\rX", elm.now), "STOPPED\r\r>");
    EXPECT_FALSE(elm.adapter.deadline());
    EXPECT_EQ(elm.ask("ATI\r0105\r"), "ELM327 v1.5\r\r>");
    EXPECT_EQ(elm.ask(""), "41 05 82\r\r>");
}

TEST(ElmAdapter, DropsEveryNthRequestToTheCarWithoutATrace) {
    Dialogue elm({.dropEvery = 3});
    elm.quiet();
    std::vector<bool> answered;
    for (int i = 0; i < 6; ++i) {
        answered.push_back(!elm.ask("010C\r").empty());
        elm.ask("ATI\r");
    }
    EXPECT_EQ(answered, (std::vector<bool>{true, true, false, true, true, false}));
    EXPECT_EQ(elm.adapter.mode01Requests(), 6);
    EXPECT_EQ(elm.adapter.mode01Answered(), 4);
}

TEST(ElmAdapter, NoDataAndGarbageGiveNoReply) {
    Dialogue elm;
    elm.quiet();
    elm.adapter.setBehaviour(ElmAdapter::Behaviour::NoData);
    EXPECT_EQ(elm.ask("0100\r"), "NO DATA\r\r>");
    elm.adapter.setBehaviour(ElmAdapter::Behaviour::Garbage);
    const std::string junk = elm.ask("010C\r");
    EXPECT_TRUE(junk.ends_with("\r\r>"));
    EXPECT_EQ(junk.find_first_of("0123456789ABCDEFabcdef"), std::string::npos) << junk;
    EXPECT_EQ(elm.ask("ATI\r"), "ELM327 v1.5\r\r>");
    EXPECT_EQ(elm.adapter.mode01Answered(), 0);
}

// 8 % is byte 138; a real ECU's reading moves by one step now and then.
TEST(ElmAdapter, TheShortTermTrimJittersByOneStep) {
    Dialogue elm;
    elm.quiet().ask("ATS0\r");
    std::set<std::string> answers;
    for (int i = 0; i < 50; ++i) answers.insert(elm.ask("0106\r"));
    EXPECT_EQ(answers, (std::set<std::string>{"410689\r\r>", "41068A\r\r>", "41068B\r\r>"}));
}

}  // namespace
