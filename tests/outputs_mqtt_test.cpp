// Publishing to a real broker: a mosquitto started for each test on a free
// local port, the program in run mode against a sensor, and a subscriber
// that records what arrives.
#include "support/program_fixture.h"

#include "app/app.h"
#include "link/health.h"
#include "outputs/mqtt_client.h"
#include "outputs/outputs.h"
#include "runtime/settings.h"
#include "runtime/ui.h"
#include "runtime/util.h"
#include "support/inspect.h"

#include "support/broker.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Waits up to `seconds` for `done`, processing the program's events.
template <class F>
bool WaitFor(F done, double seconds)
{
    double end = Timer() + seconds;
    while (!done()) {
        if (Timer() > end) return false;
        ProcessSystemEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class MqttTest : public ProgramTest {
 protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        ASSERT_NE(nullptr, MosquittoProgram()) << "mosquitto is not installed (scripts/install-deps)";
        port = mqtt.port;
        dir = mqtt.dir;
    }
    void TearDown() override
    {
        MqttStop();
        StopBroker();
        ProgramTest::TearDown();
    }

    // extra: further configuration lines (a password file, ...).
    void StartBroker(const std::string& extra = "allow_anonymous true\n")
    {
        ASSERT_TRUE(mqtt.Start(extra)) << "the broker did not start: " << mqtt.Log();
    }
    void StopBroker() { mqtt.Stop(); }
    std::string Url() const { return mqtt.Url("plant/line1"); }
    std::string WriteFile(const std::string& name, const std::string& text) { return mqtt.WriteFile(name, text); }

    LocalBroker mqtt;
    std::string dir;
    int port = 0;
};

const Words kVars = {600, 0, 300, 100, 0, 0, 50, 1000, 500, 20, 0, 0, 0, 1, 0, 1};

}  // namespace

TEST_F(MqttTest, EveryReplyOfARunArrivesOnceAndInOrder)
{
    StartBroker();
    Subscriber sub(port, "plant/line1/#");
    ASSERT_TRUE(WaitFor([&] { return sub.Subscribed(); }, 5.0));
    ASSERT_EQ(0, MqttStart(Url().c_str(), nullptr));
    ASSERT_TRUE(WaitFor([] { return MqttConnected() != 0; }, 5.0));
    PlaySensor();
    SetVars(kVars);

    // The test plays the sensor: 300 replies, each with its own value, then silence.
    const int N = 300;
    std::thread device([&] {
        for (int i = 0; i < N; i++) {
            if (peer.Read(FRAME_BYTES, 3.0).size() != static_cast<size_t>(FRAME_BYTES)) return;
            // Ledge Redge Mvalue tVal tTol pix1 edcnt mvstart mvend pixdelta anaMax anaMin in0
            Words w = {static_cast<uint16_t>(100 + i),
                       static_cast<uint16_t>(200 + i),
                       static_cast<uint16_t>(i),
                       150,
                       10,
                       1,
                       2,
                       0,
                       0,
                       0,
                       900,
                       5,
                       0};
            SensorSays(w, CMD_MEASURE);
        }
    });
    Press(PANEL_RUN);  // ends with the time-out after the last reply
    device.join();
    ASSERT_TRUE(WaitFor([&] { return sub.On("plant/line1/measurement").size() >= N; }, 10.0));
    std::vector<std::string> got = sub.On("plant/line1/measurement");
    ASSERT_EQ(static_cast<size_t>(N), got.size());
    for (int i = 0; i < N; i++) {
        SCOPED_TRACE(got[i]);
        EXPECT_EQ(i, Member(got[i], "value"));
        EXPECT_EQ(100 + i, Member(got[i], "left_edge"));
        EXPECT_EQ(200 + i, Member(got[i], "right_edge"));
        EXPECT_EQ(i + 1, Member(got[i], "seq"));
        EXPECT_EQ(150, Member(got[i], "teach"));
        EXPECT_EQ(10, Member(got[i], "tolerance"));
        EXPECT_EQ(900, Member(got[i], "maximum"));
        EXPECT_EQ(5, Member(got[i], "minimum"));
        EXPECT_EQ(2, Member(got[i], "edges"));
        bool inBand = i >= 140 && i <= 160;
        EXPECT_NE(std::string::npos, got[i].find(inBand ? "\"in_band\":true" : "\"in_band\":false"));
        EXPECT_EQ('Z', got[i][got[i].find("\"time\":\"") + 8 + 23]);  // ISO time with milliseconds
    }
    EXPECT_EQ(0ul, MqttDropped());
    // The status line went to the broker with it.
    ASSERT_TRUE(WaitFor(
        [&] {
            auto s = sub.On("plant/line1/status");
            return !s.empty() && s.back().find("Timeout RS232-Line!") != std::string::npos;
        },
        5.0));
}

TEST_F(MqttTest, RetainedTopicsDescribeTheSensorAndGoOfflineAtTheEnd)
{
    StartBroker();
    ASSERT_EQ(0, MqttStart(Url().c_str(), nullptr));
    StartSensor(Holding(kVars));
    StartUp();
    ASSERT_TRUE(WaitFor([] { return MqttConnected() != 0; }, 5.0));
    // A subscriber that comes later is told the retained state at once.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Subscriber late(port, "plant/line1/#");
    ASSERT_TRUE(WaitFor(
        [&] {
            return late.On("plant/line1/parameters").size() == 1 && late.On("plant/line1/identity").size() == 1 &&
                   !late.On("plant/line1/status").empty();
        },
        5.0));
    std::string params = late.On("plant/line1/parameters")[0];
    for (int i = 0; i < PNUM; i++) EXPECT_EQ(kVars[i], Member(params, kParamNames[i])) << kParamNames[i];
    EXPECT_NE(std::string::npos, params.find("\"words\":[600,0,300,100,"));
    std::string identity = late.On("plant/line1/identity")[0];
    EXPECT_EQ(ccdmaxpixel, Member(identity, "pixels"));
    EXPECT_EQ(pcbtype, Member(identity, "board_type"));
    EXPECT_NE(std::string::npos, identity.find(GetComDevice(1))) << identity;
    EXPECT_NE(std::string::npos, identity.find("\"description\":\"CCD-SENSOR")) << identity;
    EXPECT_NE(std::string::npos, late.On("plant/line1/status").back().find("\"state\":\"online\""));
    for (const Received& r : late.Got()) EXPECT_TRUE(r.retained) << r.topic;

    // A Send of other words republishes them.
    Words changed = kVars;
    changed[2] = 444;
    SetVars(changed);
    SetPanelValues();
    Press(PANEL_SEND);
    ASSERT_TRUE(WaitFor([&] { return late.On("plant/line1/parameters").size() == 2; }, 5.0));
    EXPECT_EQ(444, Member(late.On("plant/line1/parameters")[1], "vThd"));

    MqttStop();
    ASSERT_TRUE(
        WaitFor([&] { return late.On("plant/line1/status").back().find("offline") != std::string::npos; }, 5.0));
}

// The link's health goes retained to PREFIX/health about once a second
// while publishing, with the counters the line has: here a sensor that
// stops answering, the time-out counted.
TEST_F(MqttTest, HealthIsRetainedAboutOnceASecondWithTheLinesCounters)
{
    StartBroker();
    ASSERT_EQ(0, MqttStart(Url().c_str(), nullptr));
    StartSensor();
    StartUp();
    ASSERT_TRUE(WaitFor([] { return MqttConnected() != 0; }, 5.0));
    StartHealthView();
    Subscriber sub(port, "plant/line1/health");
    ASSERT_TRUE(WaitFor([&] { return sub.Subscribed(); }, 5.0));
    SensorFaults silent;
    silent.no_reply_every = 1;
    sensor.SetFaults(silent);
    Press(PANEL_RUN);  // its first request goes unanswered: the loop ends after the time-out
    ASSERT_EQ(1, link_health.timeouts);
    const size_t before = sub.On("plant/line1/health").size();
    PumpFor(3.2);
    StopHealthView();
    // What was published has arrived once the newest message says the line's counters.
    WaitFor(
        [&] {
            const std::vector<std::string> got = sub.On("plant/line1/health");
            return !got.empty() && Member(got.back(), "timeouts") == 1 &&
                   Member(got.back(), "exchanges") == link_health.exchanges;
        },
        5.0);
    const std::vector<std::string> health = sub.On("plant/line1/health");
    ASSERT_FALSE(health.empty());
    EXPECT_GE(health.size() - before, 2u);
    EXPECT_LE(health.size() - before, 5u);  // about one a second, not one per event
    const std::string& last = health.back();
    EXPECT_EQ(1, Member(last, "timeouts")) << last;
    EXPECT_EQ(link_health.exchanges, Member(last, "exchanges")) << last;
    EXPECT_EQ(link_health.replies, Member(last, "replies")) << last;
    EXPECT_EQ(link_health.setUps, Member(last, "set_ups")) << last;
    EXPECT_NE(std::string::npos, last.find("\"last_reply_age\":")) << last;
    // The panel says the same.
    char text[128] = "";
    GetCtrlVal(panelPopUp, POPUP_HEALTH_FAULTS, text, sizeof text);
    EXPECT_STREQ("Time-outs: 1", text);
}

TEST_F(MqttTest, RunModeKeepsItsPaceWhileTheBrokerIsAwayAndPublishingResumes)
{
    StartBroker();
    Subscriber sub(port, "plant/line1/measurement");
    ASSERT_TRUE(WaitFor([&] { return sub.Subscribed(); }, 5.0));
    ASSERT_EQ(0, MqttStart(Url().c_str(), nullptr));
    StartSensor();
    StartUp();
    ASSERT_TRUE(WaitFor([] { return MqttConnected() != 0; }, 5.0));
    sensor.ClearFrames();

    std::string statusWhileAway;
    size_t beforeRestart = 0;
    AfterSeconds(0.5, [&] { StopBroker(); });
    AfterSeconds(1.5, [&] {
        statusWhileAway = Status();
        beforeRestart = sub.Got().size();
        StartBroker();
    });
    // Reconnection backs off from one second; give it time, then stop.
    AfterSeconds(7.0, [&] { Press(PANEL_STOP); });
    Press(PANEL_RUN);

    EXPECT_EQ(std::string::npos, Status().find("Timeout")) << Status();
    EXPECT_NE(std::string::npos, statusWhileAway.find("lost")) << statusWhileAway;
    // The line never waited for the broker: no gap between requests.
    std::vector<ReceivedFrame> frames = Frames();
    ASSERT_GT(frames.size(), 20u);
    double longest = 0;
    for (size_t i = 1; i < frames.size(); i++)
        longest = std::max(longest, std::chrono::duration<double>(frames[i].received - frames[i - 1].received).count());
    EXPECT_LT(longest, 0.5);
    // Connected again, and measurements flow to the new broker.
    EXPECT_TRUE(MqttConnected());
    ASSERT_TRUE(WaitFor([&] { return sub.Got().size() > beforeRestart + 5; }, 5.0));
    std::vector<std::string> got = sub.On("plant/line1/measurement");
    for (size_t i = 1; i < got.size(); i++) EXPECT_LT(Member(got[i - 1], "seq"), Member(got[i], "seq"));
}

TEST_F(MqttTest, RefusedCredentialsAreSaidPlainly)
{
    std::string user = "line1";
    std::string pw = WriteFile("passwd", "");
    ASSERT_EQ(0, std::system(("mosquitto_passwd -b " + pw + " " + user + " right-one >/dev/null 2>&1").c_str()));
    StartBroker("allow_anonymous false\npassword_file " + pw + "\n");

    std::string wrong = WriteFile("wrong", user + "\nwrong-one\n");
    ASSERT_EQ(0, MqttStart(Url().c_str(), wrong.c_str()));
    ASSERT_TRUE(
        WaitFor([] { return std::string(MqttState()).find("refused the credentials") != std::string::npos; }, 5.0))
        << MqttState();
    WatchBroker();
    EXPECT_NE(std::string::npos, Status().find("refused the credentials")) << Status();
    MqttStop();

    std::string right = WriteFile("right", user + "\nright-one\n");
    ASSERT_EQ(0, MqttStart(Url().c_str(), right.c_str()));
    EXPECT_TRUE(WaitFor([] { return MqttConnected() != 0; }, 5.0)) << MqttState();
}

TEST_F(MqttTest, BadUrlsAndCredentialFilesAreRefusedWithTheReason)
{
    const char* bad[] = {"http://host/x",      "mqtt://",         "mqtt://host:0/x",  "mqtt://host:99999/x",
                         "mqtt://host:12ab/x", "mqtt://host/a/#", "mqtt://host/a/+/b"};
    for (const char* url : bad) {
        EXPECT_EQ(-1, MqttStart(url, nullptr)) << url;
        EXPECT_NE('\0', MqttError()[0]) << url;
        EXPECT_FALSE(MqttConnected());
    }
    EXPECT_EQ(-1, MqttStart("mqtt://127.0.0.1/x", (dir + "/none").c_str()));
    EXPECT_NE(nullptr, std::strstr(MqttError(), "/none"));
    EXPECT_EQ(-1, MqttStart("mqtt://127.0.0.1/x", WriteFile("empty", "").c_str()));
    // Without a broker the start still succeeds: the client keeps trying.
    EXPECT_EQ(0, MqttStart(Url().c_str(), nullptr));
    std::string state = MqttState();
    EXPECT_TRUE(state.find("connecting") != std::string::npos ||
                state.find("not reachable, retrying") != std::string::npos)
        << state;
}

// ---- The broker setting of the pop-up -----------------------------------------------------------

namespace {

std::string Entry(int control)
{
    char text[512] = "";
    GetCtrlVal(panelPopUp, control, text, sizeof text);
    return text;
}

std::string Setting(const char* key)
{
    char value[512] = "";
    GetSetting(key, value, sizeof value);
    return value;
}

}  // namespace

TEST_F(MqttTest, PublishFromThePanelDescribesTheSensorAtOnceAndOffSaysOffline)
{
    StartBroker();
    Subscriber sub(port, "plant/line1/#");
    ASSERT_TRUE(WaitFor([&] { return sub.Subscribed(); }, 5.0));
    StartSensor(Holding(kVars));
    StartUp();
    Press(PANEL_PARAII);
    OperatorType(panelPopUp, POPUP_MQTT_URL, (" " + Url() + " ").c_str());  // pasted with blanks
    Click(panelPopUp, POPUP_MQTT);

    EXPECT_EQ(1, Value(panelPopUp, POPUP_MQTT));
    EXPECT_TRUE(Dimmed(panelPopUp, POPUP_MQTT_URL));  // fixed while it is used
    EXPECT_TRUE(Dimmed(panelPopUp, POPUP_MQTT_AUTH_PICK));
    ASSERT_TRUE(WaitFor(
        [&] { return sub.On("plant/line1/identity").size() == 1 && sub.On("plant/line1/parameters").size() == 1; },
        5.0));
    std::string params = sub.On("plant/line1/parameters")[0];
    for (int i = 0; i < PNUM; i++) EXPECT_EQ(kVars[i], Member(params, kParamNames[i])) << kParamNames[i];
    EXPECT_EQ(ccdmaxpixel, Member(sub.On("plant/line1/identity")[0], "pixels"));
    // Kept for the next start, without the blanks.
    EXPECT_EQ(Url(), Setting("mqtt/url"));
    EXPECT_EQ("", Setting("mqtt/auth"));

    Click(panelPopUp, POPUP_MQTT);
    EXPECT_EQ(0, Value(panelPopUp, POPUP_MQTT));
    EXPECT_FALSE(Dimmed(panelPopUp, POPUP_MQTT_URL));
    EXPECT_FALSE(MqttConnected());
    EXPECT_EQ("MQTT: off", Status());
    ASSERT_TRUE(WaitFor(
        [&] {
            auto s = sub.On("plant/line1/status");
            return !s.empty() && s.back().find("\"state\":\"offline\"") != std::string::npos;
        },
        5.0));

    // The next start shows the broker again, but publishing waits for the operator.
    SetCtrlVal(panelPopUp, POPUP_MQTT_URL, "");
    InitPublishing(nullptr, nullptr);
    EXPECT_EQ(Url(), Entry(POPUP_MQTT_URL));
    EXPECT_EQ(0, Value(panelPopUp, POPUP_MQTT));
    EXPECT_FALSE(MqttConnected());
}

TEST_F(MqttTest, TheCommandLinesBrokerIsOnThePanelAndItsStateOutlastsTheSetUp)
{
    StartBroker();
    std::string auth = WriteFile("auth", "line1\nsecret\n");
    ASSERT_EQ(0, MqttStart(Url().c_str(), auth.c_str()));
    InitPublishing(Url().c_str(), auth.c_str());
    ASSERT_TRUE(WaitFor([] { return MqttConnected() != 0; }, 5.0));
    // Connected while the set-up's texts follow one another: the state is
    // said once the set-up is over, not painted over in the middle of it.
    StartSensor();
    exchange_busy = 1;  // as the start-up runs it
    StartUp();
    exchange_busy = 0;
    EXPECT_TRUE(WaitFor([&] { return Status().find("MQTT: connected") != std::string::npos; }, 2.0)) << Status();

    EXPECT_EQ(1, Value(panelPopUp, POPUP_MQTT));
    EXPECT_EQ(Url(), Entry(POPUP_MQTT_URL));
    EXPECT_EQ(auth, Entry(POPUP_MQTT_AUTH));
    EXPECT_EQ(auth, Setting("mqtt/auth"));
    // The path is kept, never what is in the file.
    std::ifstream kept(settingsFile);
    std::string all((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    EXPECT_EQ(std::string::npos, all.find("secret"));
}

TEST_F(MqttTest, WhileIdleTheBrokersStateReachesTheStatusLineButNeverMidExchange)
{
    StartSensor();
    StartUp();
    // Switched on before the broker is up: said, and reached once it is there.
    SetCtrlVal(panelPopUp, POPUP_MQTT_URL, Url().c_str());
    Click(panelPopUp, POPUP_MQTT);
    ASSERT_TRUE(WaitFor([&] { return Status().find("not reachable") != std::string::npos; }, 3.0)) << Status();
    StartBroker();
    Subscriber sub(port, "plant/line1/status");
    ASSERT_TRUE(WaitFor([&] { return Status().find("MQTT: connected") != std::string::npos; }, 15.0)) << Status();
    ASSERT_TRUE(WaitFor([&] { return sub.Subscribed(); }, 5.0));

    // What the status line says goes to the broker without any exchange.
    SetCtrlVal(panelHandle, PANEL_STATUS, "operator looking");
    ASSERT_TRUE(WaitFor(
        [&] {
            auto s = sub.On("plant/line1/status");
            return !s.empty() && s.back().find("operator looking") != std::string::npos;
        },
        5.0));

    // An exchange's text stays while it runs; the loss shows once it is over.
    exchange_busy = 1;
    SetCtrlVal(panelHandle, PANEL_STATUS, "Waiting for reply ...");
    StopBroker();
    PumpFor(1.5);
    EXPECT_EQ("Waiting for reply ...", Status());
    exchange_busy = 0;
    ASSERT_TRUE(WaitFor([&] { return Status().find("lost") != std::string::npos; }, 2.0)) << Status();

    StartBroker();
    // The client retries after one second, then backs off.
    EXPECT_TRUE(WaitFor([&] { return Status().find("MQTT: connected") != std::string::npos; }, 10.0)) << Status();
}

TEST_F(MqttTest, ABadSettingOnThePanelSaysWhyAndLeavesPublishingOff)
{
    struct Case {
        std::string url, auth, says;
    };
    const Case cases[] = {
        {"", "", "mqtt://HOST"},
        {"http://127.0.0.1/x", "", "must start with mqtt://"},
        {Url(), dir + "/none", dir + "/none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url + " " + c.auth);
        SetCtrlVal(panelPopUp, POPUP_MQTT_URL, c.url.c_str());
        SetCtrlVal(panelPopUp, POPUP_MQTT_AUTH, c.auth.c_str());
        Click(panelPopUp, POPUP_MQTT);
        EXPECT_EQ(0u, Status().find("Cannot publish: ")) << Status();
        EXPECT_NE(std::string::npos, Status().find(c.says)) << Status();
        EXPECT_EQ(0, Value(panelPopUp, POPUP_MQTT));
        EXPECT_FALSE(Dimmed(panelPopUp, POPUP_MQTT_URL));
        EXPECT_EQ(std::string(MqttState()), "MQTT: off");
    }
    EXPECT_EQ("", Setting("mqtt/url"));  // nothing kept that did not work

    // The credentials file is picked with the file dialog.
    std::string auth = WriteFile("auth", "line1\nsecret\n");
    QueueFileSelectAnswer(1, auth.c_str());
    Click(panelPopUp, POPUP_MQTT_AUTH_PICK);
    EXPECT_EQ(auth, Entry(POPUP_MQTT_AUTH));
}

// ---- The client alone ---------------------------------------------------------------------------

namespace {

class MqttClientTest : public ::testing::Test {
 protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, MosquittoProgram()) << "mosquitto is not installed (scripts/install-deps)";
    }
    void TearDown() override { MqttClientStop(nullptr, nullptr, 0); }
    LocalBroker broker;
};

int LostPayload(char* out, int size, unsigned long count)
{
    return std::snprintf(out, size, "lost %lu", count);
}

}  // namespace

// The broker goes away while the ring overflows and comes back without the
// retained messages it had (no persistence): the client drops the oldest,
// counts them, and sends its slots again, each with its latest payload.
TEST_F(MqttClientTest, ABrokerRestartCostsTheOldestQueuedMessagesButNoSlot)
{
    ASSERT_TRUE(broker.Start()) << broker.Log();
    MqttClientSetup setup{};
    char error[MQTT_TEXT_LEN] = "";
    ASSERT_EQ(0, MqttParseUrl(broker.Url("cell").c_str(), &setup.target, error, sizeof error)) << error;
    setup.slots[0] = "about";
    setup.slots[1] = "mode";
    setup.droppedLeaf = "lost";
    setup.droppedPayload = LostPayload;
    ASSERT_EQ(0, MqttClientStart(&setup, error, sizeof error)) << error;
    ASSERT_EQ(0, MqttClientKeep(0, "line 1", 6));
    ASSERT_EQ(0, MqttClientKeep(1, "manual", 6));
    ASSERT_TRUE(WaitUntil(5.0, [] { return MqttClientConnected() == 1; })) << MqttClientState();
    {
        Subscriber before(broker.port, "cell/mode");
        ASSERT_TRUE(WaitUntil(5.0, [&] { return !before.On("cell/mode").empty(); }));
    }

    broker.Stop();
    ASSERT_TRUE(WaitUntil(5.0, [] { return MqttClientConnected() == 0; }));
    EXPECT_NE(std::string::npos, std::string(MqttClientState()).find("lost")) << MqttClientState();
    const unsigned long before = MqttClientDropped();
    for (int i = 1; i <= MQTT_QUEUE_LEN + 5; i++) {
        std::string n = std::to_string(i);
        ASSERT_EQ(0, MqttClientQueue("n", n.c_str(), static_cast<int>(n.size())));
    }
    EXPECT_EQ(before + 5, MqttClientDropped());
    ASSERT_EQ(0, MqttClientKeep(1, "auto", 4));

    ASSERT_TRUE(broker.Start()) << broker.Log();
    Subscriber live(broker.port, "cell/n");  // before the client's first retry, a second after the loss
    ASSERT_TRUE(live.WaitSubscribed(5.0));
    ASSERT_TRUE(WaitUntil(15.0, [] { return MqttClientConnected() == 1; })) << MqttClientState();
    ASSERT_TRUE(WaitUntil(10.0, [&] {
        std::vector<std::string> n = live.On("cell/n");
        return !n.empty() && n.back() == std::to_string(MQTT_QUEUE_LEN + 5);
    }));
    // In order, the newest last and none of the five oldest.
    std::vector<std::string> n = live.On("cell/n");
    EXPECT_LE(n.size(), static_cast<size_t>(MQTT_QUEUE_LEN));
    EXPECT_GE(std::stoi(n.front()), 6);
    for (size_t i = 1; i < n.size(); i++) EXPECT_EQ(std::stoi(n[i - 1]) + 1, std::stoi(n[i]));

    Subscriber late(broker.port, "cell/#");
    ASSERT_TRUE(WaitUntil(5.0, [&] {
        return !late.On("cell/about").empty() && !late.On("cell/mode").empty() && !late.On("cell/lost").empty();
    }));
    for (const Received& r : late.Got()) EXPECT_TRUE(r.retained) << r.topic;
    EXPECT_EQ("line 1", late.On("cell/about").back());
    EXPECT_EQ("auto", late.On("cell/mode").back());
    EXPECT_EQ("lost " + std::to_string(MqttClientDropped()), late.On("cell/lost").back());
    EXPECT_EQ(before + 5, MqttClientDropped());
}
