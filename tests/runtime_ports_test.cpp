// The port list on real pseudo-terminals, with a /dev, a sysfs tty folder
// and a by-id folder of the test's own: which ports are listed, under which
// name and number, what they are called, and the watch that follows them.
// Settings at the end.

#include "runtime/port_events.h"
#include "runtime/ports.h"
#include "runtime/rs232.h"
#include "runtime/settings.h"
#include "runtime/ui.h"
#include "runtime/util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class PortsTest : public ::testing::Test {
 protected:
    void SetUp() override
    {
        static bool runtimeUp = false;
        if (!runtimeUp) {
            static int argc = 1;
            static char name[] = "runtime_tests";
            static char* argv[] = {name, nullptr};
            ASSERT_EQ(1, InitRuntime(&argc, argv));
            runtimeUp = true;
        }
        char tmpl[] = "/tmp/kvormx-ports-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        root = tmpl;
        fs::create_directories(root / "dev");
        fs::create_directories(root / "sys");
        fs::create_directories(root / "by-id");
        SetPortsSystemDirs((root / "dev").c_str(), (root / "sys").c_str());
        SetPortsByIdDir((root / "by-id").c_str());
    }
    void TearDown() override
    {
        StopWatchingPorts();
        ComCloseAll();
        for (int m : masters) close(m);
        fs::remove_all(root);
    }

    // A fresh pseudo-terminal; its slave's path.
    std::string Pty()
    {
        int m = posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(m, 0);
        grantpt(m);
        unlockpt(m);
        masters.push_back(m);
        return ptsname(m);
    }
    void Hangup(const std::string& slave)
    {
        for (size_t i = 0; i < masters.size(); i++) {
            if (ptsname(masters[i]) == slave) {
                close(masters[i]);
                masters.erase(masters.begin() + static_cast<long>(i));
                return;
            }
        }
    }

    static void Write(const fs::path& file, const std::string& text)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }

    // A tty as the kernel shows it: its sysfs folder with the device number
    // of `slave`, a device link when hardware is behind it, and its node in
    // dev (a link to the pty). `type` is the UART's port type ("" none).
    void Tty(const std::string& kernel, const std::string& slave, bool hardware, const std::string& type = "",
             const fs::path& deviceDir = {})
    {
        struct stat st;
        ASSERT_EQ(0, stat(slave.c_str(), &st));
        fs::path sys = root / "sys" / kernel;
        Write(sys / "dev", std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev)));
        if (!type.empty()) Write(sys / "type", type);
        if (hardware) {
            fs::path dev = deviceDir.empty() ? root / "devices" / "platform" / kernel : deviceDir;
            fs::create_directories(dev);
            fs::create_directory_symlink(dev, sys / "device");
        }
        fs::create_symlink(slave, root / "dev" / kernel);
    }
    // A USB adapter's tty: the interface folder under the device folder
    // that carries maker, product and serial number.
    void UsbTty(const std::string& kernel, const std::string& slave, const std::string& maker,
                const std::string& product, const std::string& serial)
    {
        fs::path usb = root / "devices" / "usb1" / ("1-" + kernel);
        Write(usb / "manufacturer", maker);
        Write(usb / "product", product);
        if (!serial.empty()) Write(usb / "serial", serial);
        Tty(kernel, slave, true, "", usb / "1-1:1.0" / kernel);
    }
    fs::path Link(const std::string& name, const fs::path& target)
    {
        fs::path link = root / "by-id" / name;
        fs::remove(link);
        fs::create_symlink(target, link);
        return link;
    }

    std::vector<int> Listed()
    {
        int numbers[COM_MAX_PORTS];
        int n = ListedPorts(numbers, COM_MAX_PORTS);
        return std::vector<int>(numbers, numbers + n);
    }

    // Event processing until `done` holds, at most `seconds`.
    bool PumpUntil(const std::function<bool()>& done, double seconds = 5.0)
    {
        double end = Timer() + seconds;
        while (!done()) {
            if (Timer() > end) return false;
            ProcessSystemEvents();
        }
        return true;
    }

    fs::path root;
    std::vector<int> masters;
};

int g_changes = 0;
int CountChange(void*)
{
    g_changes++;
    return 0;
}

}  // namespace

TEST_F(PortsTest, NothingScannedIsTheFixedMapOfEightPorts)
{
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}), Listed());
    EXPECT_EQ(-1, PortPresent(1));
}

TEST_F(PortsTest, HardwarePortsNumberedNamedAndDescribed)
{
    Tty("ttyS0", Pty(), true, "4");
    Tty("ttyS1", Pty(), true, "0");  // a node without a UART behind it
    Tty("ttyS3", Pty(), true, "4");
    Tty("tty5", Pty(), false);  // a virtual console: no device
    Tty("ttyAMA0", Pty(), true, "0");
    Tty("ttyAMA1", Pty(), true, "3");  // another kind of on-board UART
    std::string adapter = Pty();
    UsbTty("ttyUSB0", adapter, "FTDI", "FT232R USB UART", "A1B2");
    fs::path byId = Link("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0", root / "dev" / "ttyUSB0");
    UsbTty("ttyACM0", Pty(), "Acme", "Line Probe", "");
    Link("not-a-terminal", "/dev/null");
    std::string named = Pty();
    ASSERT_EQ(0, AddComPort(9, named.c_str()));
    EXPECT_EQ(PORTS_NUMBER_TAKEN, AddComPort(9, "/dev/null"));
    ASSERT_EQ(0, AddComPort(12, "/nonexistent/ttyX"));

    EXPECT_EQ(7, ScanPorts());
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 9, 12}), Listed());
    EXPECT_STREQ((root / "dev" / "ttyS0").c_str(), GetComDevice(1));
    EXPECT_STREQ("on-board serial port (ttyS0)", PortDescription(1));
    EXPECT_STREQ((root / "dev" / "ttyS3").c_str(), GetComDevice(4));
    // The adapter once, under its stable name, not also as ttyUSB0.
    EXPECT_STREQ(byId.c_str(), GetComDevice(2));
    EXPECT_STREQ("FTDI FT232R USB UART, serial A1B2 (ttyUSB0)", PortDescription(2));
    EXPECT_STREQ((root / "dev" / "ttyACM0").c_str(), GetComDevice(3));
    EXPECT_STREQ("Acme Line Probe (ttyACM0)", PortDescription(3));
    EXPECT_STREQ("serial port (ttyAMA1)", PortDescription(5));
    EXPECT_STREQ(named.c_str(), GetComDevice(9));
    EXPECT_EQ(1, PortPresent(9));
    EXPECT_EQ(0, PortPresent(12));
    EXPECT_STREQ("not present", PortDescription(12));
    EXPECT_EQ(2, PortNumber(byId.c_str()));
    EXPECT_EQ(0, PortNumber((root / "dev" / "ttyUSB0").c_str()));
}

// A by-id folder that holds every tty the kernel has (--by-id-dir /dev):
// the serial ports and a pseudo-terminal's link are ports, the rest is not.
TEST_F(PortsTest, ByIdFolderOfEverythingListsOnlySerialPorts)
{
    SetPortsByIdDir((root / "dev").c_str());
    Tty("console", Pty(), false);
    Tty("ptmx", Pty(), false);
    Tty("tty", Pty(), false);
    Tty("tty1", Pty(), false);
    Tty("ttyS1", Pty(), true, "0");  // a UART node without a chip
    Tty("ttyS0", Pty(), true, "4");
    std::string sensor = Pty();
    fs::create_symlink(sensor, root / "dev" / "kvormx-sensor");  // a link to a pty, as kvormx-sim --link makes
    fs::create_symlink("/dev/null", root / "dev" / "null");

    EXPECT_EQ(2, ScanPorts());
    std::vector<std::string> devices;
    for (int n : Listed()) devices.push_back(GetComDevice(n));
    EXPECT_EQ((std::vector<std::string>{(root / "dev" / "kvormx-sensor").string(), (root / "dev" / "ttyS0").string()}),
              devices);
}

TEST_F(PortsTest, NumbersStayWithTheirPortsWhileAway)
{
    std::string first = Pty(), second = Pty();
    fs::path a = Link("usb-a", first);
    ScanPorts();
    ASSERT_EQ((std::vector<int>{1}), Listed());
    unsigned shown = PortAppearance(1);
    EXPECT_NE(0u, shown);

    fs::remove(a);
    ScanPorts();
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(0, PortPresent(1));
    EXPECT_EQ(0u, PortAppearance(1));

    // A newcomer does not take the number of the port that is away.
    fs::path b = Link("usb-b", second);
    ScanPorts();
    EXPECT_EQ((std::vector<int>{2}), Listed());

    Link("usb-a", first);
    ScanPorts();
    EXPECT_EQ((std::vector<int>{1, 2}), Listed());
    EXPECT_EQ(1, PortNumber(a.c_str()));
    EXPECT_NE(0u, PortAppearance(1));
    EXPECT_NE(shown, PortAppearance(1));

    // The same name led to another device: a new appearance of port 1.
    unsigned before = PortAppearance(1);
    Link("usb-a", second);
    ScanPorts();
    EXPECT_NE(before, PortAppearance(1));
    before = PortAppearance(1);
    ScanPorts();
    EXPECT_EQ(before, PortAppearance(1));
}

TEST_F(PortsTest, AdapterSeenBeforeItsLinkKeepsItsNumberUnderTheLink)
{
    Tty("ttyS0", Pty(), true, "4");
    std::string adapter = Pty();
    UsbTty("ttyUSB0", adapter, "FTDI", "FT232R USB UART", "A1B2");
    ScanPorts();
    ASSERT_EQ((std::vector<int>{1, 2}), Listed());
    EXPECT_STREQ((root / "dev" / "ttyUSB0").c_str(), GetComDevice(2));

    fs::path byId = Link("usb-FTDI-A1B2", root / "dev" / "ttyUSB0");
    ScanPorts();
    EXPECT_EQ((std::vector<int>{1, 2}), Listed());
    EXPECT_STREQ(byId.c_str(), GetComDevice(2));
}

TEST_F(PortsTest, OpenPortReadsGoneWhenItsDeviceLeavesOrItsNameMoves)
{
    std::string first = Pty(), second = Pty();
    Link("usb-a", first);
    Link("usb-b", second);
    ScanPorts();
    ASSERT_EQ(0, OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096));
    ASSERT_EQ(0, OpenComConfig(2, "", 19200, 0, 8, 1, 4096, 4096));
    ScanPorts();
    EXPECT_EQ(0, ComPortGone(1));

    fs::remove(root / "by-id" / "usb-a");
    Link("usb-b", first);  // the other name now leads to another device
    ScanPorts();
    EXPECT_EQ(1, ComPortGone(1));
    EXPECT_EQ(1, ComPortGone(2));
    EXPECT_EQ(RS_IO_ERROR, ComWrt(1, "x", 1));
    EXPECT_EQ(RS_PORT_NOT_OPEN, ComPortGone(3));

    // Opened again on what the name leads to now, it is there (once the
    // lost port no longer holds that device, as the program closes it).
    CloseCom(1);
    ASSERT_EQ(0, OpenComConfig(2, "", 19200, 0, 8, 1, 4096, 4096));
    ScanPorts();
    EXPECT_EQ(0, ComPortGone(2));
}

TEST_F(PortsTest, WatchFollowsLinksComingAndGoingAndAHangUp)
{
    g_changes = 0;
    ASSERT_EQ(0, WatchPorts(CountChange, nullptr));
    std::string slave = Pty();
    fs::path link = Link("usb-sensor", slave);
    ASSERT_TRUE(PumpUntil([&] { return PortNumber(link.c_str()) != 0 && PortPresent(1) == 1; }));
    EXPECT_GE(g_changes, 1);

    ASSERT_EQ(0, OpenComConfig(1, "", 19200, 0, 8, 1, 4096, 4096));
    int before = g_changes;
    Hangup(slave);  // the device hangs up while open
    ASSERT_TRUE(PumpUntil([&] { return ComPortGone(1) == 1 && g_changes > before; }));

    CloseCom(1);
    fs::remove(link);
    ASSERT_TRUE(PumpUntil([&] { return PortPresent(1) == 0; }));
    EXPECT_TRUE(Listed().empty());
}

TEST_F(PortsTest, WatchWaitsForAByIdFolderThatIsNotThereYet)
{
    fs::path byIdDir = root / "serial" / "by-id";
    SetPortsByIdDir(byIdDir.c_str());
    ASSERT_EQ(0, WatchPorts(CountChange, nullptr));
    fs::create_directories(byIdDir);
    // The folder's own watch is set up by the rescan its creation caused.
    ASSERT_TRUE(PumpUntil([&] { return g_changes > 0; }));
    std::string slave = Pty();
    fs::create_symlink(slave, byIdDir / "usb-late");
    EXPECT_TRUE(PumpUntil([&] { return PortNumber((byIdDir / "usb-late").c_str()) != 0; }));
}

TEST_F(PortsTest, SettingsKeptInTheFileNamed)
{
    fs::path file = root / "settings.conf";
    SetSettingsFile(file.c_str());
    char value[32] = "junk";
    EXPECT_EQ(0, GetSetting("port/last", value, sizeof value));
    EXPECT_STREQ("", value);
    ASSERT_EQ(0, PutSetting("port/last", "/dev/serial/by-id/usb-x"));
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(1, GetSetting("port/last", value, sizeof value));
    EXPECT_STREQ("/dev/serial/by-id/usb-x", value);
    // A value that does not fit is no value: a cut path names another port.
    char small[8];
    EXPECT_EQ(0, GetSetting("port/last", small, sizeof small));
    EXPECT_STREQ("", small);
    SetSettingsFile(nullptr);
}

// A reset keeps the old file beside itself under a dated name; a file that
// cannot be read as settings is moved aside the same way, and what could
// still be read of it stays in use.
TEST_F(PortsTest, ResetAndUnreadableSettingsKeepTheOldFileBesideIt)
{
    fs::path file = root / "settings.conf";
    SetSettingsFile(file.c_str());
    char moved[512], value[64];
    EXPECT_EQ(0, ResetSettings(moved, sizeof moved));  // nothing to reset yet
    ASSERT_EQ(0, PutSetting("port/last", "/dev/ttyUSB0"));
    ASSERT_EQ(1, ResetSettings(moved, sizeof moved));
    EXPECT_EQ(0u, std::string(moved).find(file.string() + ".20")) << moved;
    EXPECT_TRUE(fs::exists(moved));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(0, GetSetting("port/last", value, sizeof value));

    // A readable file is left alone.
    ASSERT_EQ(0, PutSetting("files/folder", "/srv/sets"));
    EXPECT_EQ(0, CheckSettings(moved, sizeof moved));

    // Binary junk after a good line: moved aside, the good value kept.
    {
        std::ofstream out(file, std::ios::binary | std::ios::app);
        out << "\n[gen\xff\x00ral\nport/last=\"/dev/tty\x01\n\x80\x81=\x82\n[[[\n";
    }
    int r = CheckSettings(moved, sizeof moved);
    if (r == 0) GTEST_SKIP() << "this Qt reads the junk without complaint";
    ASSERT_EQ(1, r) << moved;
    EXPECT_TRUE(fs::exists(moved));
    EXPECT_EQ(1, GetSetting("files/folder", value, sizeof value));
    EXPECT_STREQ("/srv/sets", value);
    EXPECT_EQ(0, CheckSettings(moved, sizeof moved));
    SetSettingsFile(nullptr);
}
