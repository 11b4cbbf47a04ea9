// Control numbers of the two panels in K-VOR-MXZidad15.uir: the contract
// between the program and its form. A test checks that the form agrees.
#pragma once

// ---- Resources ----------------------------------------------------------------------------------
#define PANEL 1  // main panel, top-level; panel callback CC_PANEL
#define POPUP 2  // further parameters, a tool window of the main panel; panel callback CC_POPUP

// ---- Main panel ---------------------------------------------------------------------------------
#define PANEL_COMPORT         2   // drop-down ring, int: COM port number
#define PANEL_LOOPLOCK_A      3   // dimmed while a loop runs (the Run button)
#define PANEL_RS232MODE       4   // switch, u16: rs232Mode
#define PANEL_RBT_FILE        10  // radio, int: target parameter file
#define PANEL_RBT_EEPROM      11  // radio, int: target sensor EEPROM
#define PANEL_TOLERANCE       12  // numeric, u16: tTol
#define PANEL_TEACH           13  // numeric, u16: tVal
#define PANEL_RBT_RAM         14  // radio, int: target sensor RAM
#define PANEL_POLARITY        15  // switch, u16: polarity
#define PANEL_LOOPLOCK_B      16  // dimmed while a loop runs (the Video button)
#define PANEL_LOOPLOCK_C      18  // dimmed while a loop runs (the Get button)
#define PANEL_EDGEMODE        19  // ring, u16: eMode
#define PANEL_MVALUE_2        21  // indicator: second display of Mvalue
#define PANEL_MVALUE          22  // indicator: Mvalue
#define PANEL_TEACH_SHOW      23  // indicator: teach value last shown or reported
#define PANEL_ANAMIN          24  // indicator: anaMin
#define PANEL_ANAMAX          25  // indicator: anaMax
#define PANEL_TOLERANCE_SHOW  26  // indicator: tolerance last shown or reported
#define PANEL_LEDGE           27  // indicator: Ledge
#define PANEL_REDGE           28  // indicator: Redge
#define PANEL_LOGO_FRAME      34  // decoration: background of the logo strip
#define PANEL_EDGE_RIGHT      35  // numeric, u16: eEnd
#define PANEL_EDGE_LEFT       36  // numeric, u16: eBeg
#define PANEL_STATUS          37  // text message: the status line
#define PANEL_GRAPH_VIDEO     38  // graph: video curve and threshold line
#define PANEL_GRAPH_BAR       39  // graph, three cursors: bar graph of the line
#define PANEL_VIDEO_THRESHOLD 40  // slide, u16: vThd
#define PANEL_POWER           41  // numeric, u16: power
#define PANEL_GRAPH_RAW       42  // strip chart, five traces
#define PANEL_LOGO_PICTURE    43  // picture: brand bitmap
#define PANEL_STRIP_ZOOM      44  // switch, int: 0 whole line, else zoom around the teach value
#define PANEL_PARAII          45  // toggle, int: shows the pop-up panel

// Controls reached only through their callbacks. Run, Video and Get are the
// three loop-locked controls, so no loop can start while one runs.
#define PANEL_RUN          PANEL_LOOPLOCK_A
#define PANEL_VIDEO        PANEL_LOOPLOCK_B
#define PANEL_GET          PANEL_LOOPLOCK_C
#define PANEL_STOP         50
#define PANEL_SEND         51
#define PANEL_BUTTON_TEACH 52
#define PANEL_BUTTON_RESET 53
#define PANEL_RECORD       54  // toggle, int: a CSV recording runs (shortcut Ctrl+Shift+R)

// What the operator sees beyond the measurement words: the chart's history,
// millimetres, the mode, the statistics of the run.
#define PANEL_HISTORY         55  // toggle, int: the chart holds and shows the whole run (F9)
#define PANEL_LIVE            56  // button: back to the live chart
#define PANEL_GRAPH_HISTORY   57  // graph: the run so far over its time, zoomed and panned by the operator
#define PANEL_MVALUE_MM       58  // text message: the measured value in millimetres ("Value (mm)")
#define PANEL_MM              59  // switch, int: numbers, axes and bar graph in millimetres
#define PANEL_MM_SCALE        60  // text message: the millimetre scale in use, or why there is none
#define PANEL_MODE            61  // text message: "Run", "Video" or "Stopped"
#define PANEL_STAT_COUNT      62  // text messages: the statistics of the run
#define PANEL_STAT_MEAN       63
#define PANEL_STAT_SD         64
#define PANEL_STAT_MIN        65
#define PANEL_STAT_MAX        66
#define PANEL_STAT_OUT        67  // replies out of band
#define PANEL_STAT_SHARE      68  // their share of the replies, in percent
#define PANEL_STAT_CP         69
#define PANEL_STAT_CPK        70
#define PANEL_GRAPH_HISTOGRAM 71  // graph: histogram of the measured value, the band marked
#define PANEL_STAT_RESET      72  // button: the statistics afresh

// The video tools below the video graph, shown with it.
#define PANEL_VIDEO_TOOLS 80  // decoration: holds the tools, hidden while the strip chart shows
#define PANEL_AVERAGE     81  // ring, int: item k averages 2^k pictures (1, 2, 4, 8, 16)
#define PANEL_ENVELOPE    82  // switch, int: the min/max envelope of the averaged pictures
#define PANEL_REF_SAVE    83  // button: the curve shown becomes the reference
#define PANEL_REF_LOAD    84  // button: a reference file is loaded
#define PANEL_REF_DIFF    85  // switch, int: live - reference instead of the curve
#define PANEL_CURSORS     86  // switch, int: the two measuring cursors on the video graph
#define PANEL_CURSOR1     87  // text message: cursor 1's pixel and signal
#define PANEL_CURSOR2     88  // text message: cursor 2's pixel and signal
#define PANEL_DISTANCE    89  // text message: pixels between the cursors

// ---- Pop-up panel -------------------------------------------------------------------------------
#define POPUP_SENSOR_INFO    2   // text box: line 0 describes the CCD sensor
#define POPUP_PIXELSTART     3   // slide, u16: pStart
#define POPUP_PIXELEND       4   // indicator: pStart + 255
#define POPUP_BVAL           6   // numeric, u16: bVal
#define POPUP_ENABLE_TOL     7   // switch, u16: ePoti
#define POPUP_GAIN           8   // switch, u16: iGain
#define POPUP_ANAMODE        10  // ring, u16: anaMode
#define POPUP_CCDMODE        11  // ring, u16: ccdMode
#define POPUP_POTI_ITEM      12  // dimmed together with the tolerance switch
#define POPUP_TRACE          13  // toggle, int: the frame trace is written
#define POPUP_MQTT           14  // toggle, int: publishing to the MQTT broker
#define POPUP_MQTT_URL       15  // text entry, text: the broker's URL
#define POPUP_MQTT_AUTH      16  // text entry, text: the broker's credentials file ("": none)
#define POPUP_MQTT_AUTH_PICK 17  // button: picks the credentials file
#define POPUP_HEALTH_RATE    30  // text message: exchanges per second, set-ups
#define POPUP_HEALTH_FAULTS  31  // text message: time-outs
#define POPUP_HEALTH_AGE     32  // text message: age of the last good reply
#define POPUP_HEALTH_REFUSED 33  // text message: replies refused, by length and by range rule
#define POPUP_GAUGE          18  // text entry, text: width of the calibration gauge in mm
#define POPUP_MM_OFFSET      19  // text entry, text: mm added to every position ("": 0)
#define POPUP_CALIBRATE      20  // button: the scale from the gauge and the last run's edges
#define POPUP_MM_INFO        21  // text message: what a calibration would take, or what it gave
#define POPUP_MM_DEFAULT     22  // button: the sensor type's scale again, the calibration forgotten

// ---- Callbacks (bound by name in callbacks.cpp) -------------------------------------------------
int CC_PANEL(int panel, int event, void* callbackData, int eventData1, int eventData2);
int CC_POPUP(int panel, int event, void* callbackData, int eventData1, int eventData2);
#define CC_DECLARE(name) int name(int panel, int control, int event, void* callbackData, int eventData1, int eventData2)
CC_DECLARE(CC_DropDCom);
CC_DECLARE(CC_RBTFile);
CC_DECLARE(CC_RBTEeprom);
CC_DECLARE(CC_RBTRam);
CC_DECLARE(CC_NEDITTolerance);
CC_DECLARE(CC_NEDITTeach);
CC_DECLARE(CC_NEDITEdgeRight);
CC_DECLARE(CC_NEDITEdgeLeft);
CC_DECLARE(CC_SLIDEVideoThreshold);
CC_DECLARE(CC_TOGGBTN_ParaII);
CC_DECLARE(CC_BTNRun);
CC_DECLARE(CC_BTNStop);
CC_DECLARE(CC_BTNVideo);
CC_DECLARE(CC_BTNSend);
CC_DECLARE(CC_BTNGet);
CC_DECLARE(CC_ButtonTeach);
CC_DECLARE(CC_ButtonReset);
CC_DECLARE(CC_NSLIDE_PixelStart);
CC_DECLARE(CC_BIN_Sw_EnableTol);
CC_DECLARE(CC_BIN_Switch_VGain);
CC_DECLARE(CC_RING_CCDMode);
CC_DECLARE(CC_TOGGBTN_Record);
CC_DECLARE(CC_TOGGBTN_Trace);
CC_DECLARE(CC_TOGGBTN_Mqtt);
CC_DECLARE(CC_BTNMqttAuth);
CC_DECLARE(CC_RING_Average);
CC_DECLARE(CC_SW_Envelope);
CC_DECLARE(CC_BTNSaveReference);
CC_DECLARE(CC_BTNLoadReference);
CC_DECLARE(CC_SW_Difference);
CC_DECLARE(CC_SW_Cursors);
CC_DECLARE(CC_TOGGBTN_History);
CC_DECLARE(CC_BTNLive);
CC_DECLARE(CC_SWITCH_Millimetres);
CC_DECLARE(CC_BTNStatReset);
CC_DECLARE(CC_BTNCalibrate);
CC_DECLARE(CC_BTNScaleDefault);
#undef CC_DECLARE
