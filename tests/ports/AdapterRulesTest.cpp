// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Which present port is the remembered adapter, and which COM name each
// present port answers to.
#include <gtest/gtest.h>

#include "ports/core/AdapterIdentity.h"
#include "ports/core/ComNames.h"
#include "ports/core/PortLabel.h"

namespace {
using Kind = AdapterIdentity::Kind;
constexpr std::uint16_t kFtdi = 0x0403;
constexpr std::uint16_t kFt232r = 0x6001;
constexpr std::uint16_t kQinheng = 0x1a86;
constexpr std::uint16_t kCh340 = 0x7523;

PortEntry Usb(std::string device, int com, std::uint16_t vendor, std::uint16_t product,
              std::string serial, std::string usbPath) {
    return {.device = std::move(device),
            .usb = true,
            .vendorId = vendor,
            .productId = product,
            .serialNumber = std::move(serial),
            .usbPath = std::move(usbPath),
            .comPort = com};
}

PortEntry Plain(std::string device, int com, bool builtIn) {
    return {.device = std::move(device), .comPort = com, .builtInName = builtIn};
}

// Two FTDI adapters with their own serial numbers, two CH340 without any,
// two cloned chips sharing one, a built-in port and a link of the user's.
const std::vector<PortEntry> kPorts = {
    Plain("/dev/ttyS0", 1, true),
    Plain("/dev/pts/4", 3, false),
    Usb("/dev/ttyUSB0", 5, kFtdi, kFt232r, "A50285BI", "1-1.2"),
    Usb("/dev/ttyUSB1", 6, kFtdi, kFt232r, "B7734C01", "1-1.3"),
    Usb("/dev/ttyUSB2", 7, kQinheng, kCh340, "", "1-1.4"),
    Usb("/dev/ttyUSB3", 8, kQinheng, kCh340, "", "1-2"),
    Usb("/dev/ttyUSB4", 9, kFtdi, kFt232r, "CLONE", "1-3"),
    Usb("/dev/ttyUSB5", 10, kFtdi, kFt232r, "CLONE", "1-4"),
};

AdapterIdentity Identity(Kind kind, std::uint16_t vendor, std::uint16_t product, std::string serial,
                         std::string usbPath, int com = 0) {
    return {kind, vendor, product, std::move(serial), std::move(usbPath), com, false};
}

AdapterIdentity ByComName(int com, bool builtIn) {
    return {.kind = Kind::ComName, .comPort = com, .builtInName = builtIn};
}

struct FindCase {
    const char* name;
    AdapterIdentity identity;
    const char* device;  // "" when nothing matches
};

class FindAdapterCases : public testing::TestWithParam<FindCase> {};

TEST_P(FindAdapterCases, FindsTheRememberedAdapter) {
    const PortEntry* found = FindAdapter(GetParam().identity, kPorts);
    EXPECT_EQ(found != nullptr ? found->device : "", GetParam().device);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FindAdapterCases,
    testing::Values(
        FindCase{"serial_number_tells_twins_apart_wherever_plugged",
                 Identity(Kind::SerialNumber, kFtdi, kFt232r, "B7734C01", "2-1", 5),
                 "/dev/ttyUSB1"},
        FindCase{"same_serial_on_another_chip_is_not_it",
                 Identity(Kind::SerialNumber, kQinheng, kCh340, "A50285BI", "1-1.2"), ""},
        FindCase{"absent_adapter", Identity(Kind::SerialNumber, kFtdi, kFt232r, "ZZ", ""), ""},
        FindCase{"no_serial_number_the_usb_port_decides",
                 Identity(Kind::UsbPath, kQinheng, kCh340, "", "1-2"), "/dev/ttyUSB3"},
        FindCase{"no_serial_number_in_another_usb_port_is_not_it",
                 Identity(Kind::UsbPath, kQinheng, kCh340, "", "3-1"), ""},
        FindCase{"another_adapter_of_the_same_make_in_the_usb_port_is_not_it",
                 Identity(Kind::UsbPath, kFtdi, kFt232r, "", "1-1.2"), ""},
        FindCase{"cloned_serial_the_same_usb_port_wins",
                 Identity(Kind::SerialNumber, kFtdi, kFt232r, "CLONE", "1-4", 9), "/dev/ttyUSB5"},
        FindCase{"cloned_serial_moved_the_same_com_name_wins",
                 Identity(Kind::SerialNumber, kFtdi, kFt232r, "CLONE", "2-2", 9), "/dev/ttyUSB4"},
        FindCase{"built_in_port_by_its_com_name", ByComName(1, true), "/dev/ttyS0"},
        FindCase{"link_by_its_com_name", ByComName(3, false), "/dev/pts/4"},
        FindCase{"link_gone_the_table_device_under_that_name_is_not_it", ByComName(1, false), ""}),
    [](const testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });

TEST(AdapterIdentity, EveryPresentPortIsFoundAgainByItsOwnIdentity) {
    for (const PortEntry& port : kPorts) {
        const PortEntry* found = FindAdapter(IdentityOf(port), kPorts);
        ASSERT_NE(found, nullptr) << port.device;
        EXPECT_EQ(found->device, port.device);
    }
}

TEST(AdapterIdentity, KindFollowsWhatTheAdapterTells) {
    EXPECT_EQ(IdentityOf(kPorts[2]).kind, Kind::SerialNumber);
    EXPECT_EQ(IdentityOf(kPorts[4]).kind, Kind::UsbPath);
    EXPECT_EQ(IdentityOf(kPorts[0]).kind, Kind::ComName);
    // Neither serial number nor USB port: only its name is left.
    EXPECT_EQ(IdentityOf(Usb("/dev/ttyUSB6", 11, kQinheng, kCh340, "", "")).kind, Kind::ComName);
}

struct NamesCase {
    const char* name;
    std::vector<ComName> names;
    std::vector<PortEntry> listed;
    std::vector<PortEntry> expected;
};

class ComNameCases : public testing::TestWithParam<NamesCase> {};

TEST_P(ComNameCases, NamesThePresentPorts) {
    EXPECT_EQ(PortsUnderComNames(GetParam().listed, GetParam().names), GetParam().expected);
}

const PortEntry kFtdiListed = [] {
    PortEntry port = Usb("/dev/ttyUSB0", 0, kFtdi, kFt232r, "A50285BI", "1-1.2");
    port.description = "FTDI FT232R";
    return port;
}();
const PortEntry kBeyondTable = Usb("/dev/ttyUSB9", 0, kQinheng, kCh340, "", "1-4");
const PortEntry kEighth = Usb("/dev/ttyUSB8", 0, kQinheng, kCh340, "", "1-5");

PortEntry Named(PortEntry port, int com) {
    port.comPort = com;
    return port;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ComNameCases,
    testing::Values(NamesCase{"table_names_what_is_present_with_what_the_system_tells",
                              {{1, "/dev/ttyS0", true, true},
                               {2, "/dev/ttyS1", false, true},
                               {5, "/dev/ttyUSB0", true, true}},
                              {kFtdiListed, Plain("/dev/ttyS0", 0, false)},
                              {Plain("/dev/ttyS0", 1, true),
                               [] {
                                   PortEntry port = Named(kFtdiListed, 5);
                                   port.builtInName = true;
                                   return port;
                               }()}},
                    NamesCase{"adapter_beyond_the_table_takes_the_lowest_free_name",
                              {{1, "/dev/ttyS0", true, true},
                               {2, "/home/u/.config/dx470/ports/COM2", false, false},
                               {3, "/dev/ttyS2", false, true},
                               {4, "", false, false}},
                              {kBeyondTable},
                              {Plain("/dev/ttyS0", 1, true), Named(kBeyondTable, 3)}},
                    NamesCase{"extra_adapters_take_the_free_names_in_the_order_of_their_devices",
                              {{1, "", false, false}, {2, "", false, false}},
                              {kBeyondTable, kEighth},
                              {Named(kEighth, 1), Named(kBeyondTable, 2)}},
                    NamesCase{"every_name_linked_leaves_none_to_give",
                              {{1, "/tmp/absent-1", false, false}, {2, "/dev/pts/7", true, false}},
                              {kBeyondTable},
                              {Plain("/dev/pts/7", 2, false)}},
                    NamesCase{"serial_port_without_usb_identity_gets_no_name",
                              {{1, "", false, false}},
                              {Plain("/dev/ttyS5", 0, false)},
                              {}}),
    [](const testing::TestParamInfo<NamesCase>& info) { return std::string(info.param.name); });

// An adapter that no COM name reaches cannot be opened by one: it is not
// taken for the remembered adapter until it has a name.
TEST(AdapterIdentity, AnAdapterWithoutAComNameIsNotFound) {
    const PortEntry unnamed = Usb("/dev/ttyUSB9", 0, kQinheng, kCh340, "", "3-3");
    const std::vector<PortEntry> before = {unnamed};
    const std::vector<PortEntry> after = {Named(unnamed, 12)};
    const AdapterIdentity remembered = IdentityOf(after.front());
    EXPECT_EQ(FindAdapter(remembered, before), nullptr);
    EXPECT_EQ(FindAdapter(remembered, after), &after.front());
}

TEST(PortLabel, NamesWhatThePortIsBesideItsComName) {
    EXPECT_EQ(PortLabel(Named(kFtdiListed, 5)), "COM5 — FTDI FT232R A50285BI");
    EXPECT_EQ(PortLabel(Named(kBeyondTable, 9)), "COM9 — /dev/ttyUSB9");
    EXPECT_EQ(PortLabel(Plain("/dev/ttyS0", 1, true)), "COM1 — /dev/ttyS0");
}
}  // namespace
