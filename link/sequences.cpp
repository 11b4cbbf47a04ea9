// The protocol's sequences as the window and kvormx-cli both run them: run
// mode, video mode and one picture, teach with its read-back, the max/min
// reset. (The parameter reads and the verified send are params_read.cpp's.)
// What a caller shows or prints comes through the hooks and the record sinks;
// the order of the exchanges is written here once.
#include "link/link.h"
#include "link/record.h"

#include "runtime/ui.h"

// ---- Run mode -----------------------------------------------------------------------------------

static MeasurementRecord g_reply;  // the reply taken last
static int g_replyPending = 0;     // 1 until it went to the sinks

// The next request is out: the reply before it goes to the sinks while the
// sensor answers, so drawing and writing cost the line nothing.
static void DeliverPendingReply(int)
{
    if (!g_replyPending) return;
    g_replyPending = 0;
    DeliverMeasurement(&g_reply);
}

void RunMode(const LoopHooks* hooks, LoopEnd* end)
{
    *end = LoopEnd{EX_REPLY, 0, 0, 0};
    stop_flag = 0;
    graphrefresh = 0;
    g_replyPending = 0;
    if (hooks && hooks->resume)
        SkipRecord();
    else
        BeginRecords();
    CopyVarsToPP();
    int r = Exchange(CMD_MEASURE, pp, REPLY_FRAME, reply_limit, EX_EVENTS | EX_STOPPABLE,
                     hooks ? hooks->firstWritten : nullptr);
    while (r == EX_REPLY) {
        // The reply's words first: pp is overwritten by the next request.
        TakeMeasurementWords(MEASURE_WORDS_RUN);
        FillMeasurementRecord(&g_reply);
        g_replyPending = 1;
        end->records = static_cast<long>(g_reply.seq);
        if (hooks && hooks->more && !hooks->more(end->records)) break;
        graphrefresh = 0;
        CopyVarsToPP();  // carries the sensor's own tVal and tTol back to it
        r = Exchange(CMD_MEASURE, pp, REPLY_FRAME, reply_limit, EX_EVENTS | EX_STOPPABLE, DeliverPendingReply);
    }
    // A reply whose next request never went out (Stop, the count reached, the
    // port gone) is shown all the same.
    DeliverPendingReply(0);
    end->result = r;
    stop_flag = 1;  // the loop is over, whatever ended it
    EndOfLoop();
    DeliverLoopEnded(end->result, 0);
}

// ---- Video mode ---------------------------------------------------------------------------------

int ReadPicture(const LoopHooks* hooks, int* failedAt)
{
    *failedAt = 0;
    void (*read)(int, int) = hooks ? hooks->blockRead : nullptr;
    if (pcbtype == 0) {
        for (int first = 0; first < PICTURE_SAMPLES; first += 64) {
            ref_flag = first == 192 ? 1 : 0;
            int r = ReadVideoBlock64(first, ref_flag, EX_EVENTS, hooks ? hooks->block64Written : nullptr);
            if (read) read(64, r);
            if (r != EX_REPLY && r != EX_LONG) {
                *failedAt = first;
                return r;
            }
        }
        return EX_REPLY;
    }
    int r = ReadVideoBlock256(EX_EVENTS, hooks ? hooks->block256Written : nullptr);
    if (read) read(256, r);
    return r == EX_LONG ? EX_REPLY : r;
}

void VideoMode(const LoopHooks* hooks, LoopEnd* end)
{
    *end = LoopEnd{EX_REPLY, 0, 0, 0};
    static PictureRecord picture;
    stop_flag = 0;
    if (hooks && hooks->resume)
        SkipRecord();
    else
        BeginRecords();
    // Each request carries the reply before it, but the first finds in pp
    // whatever landed there last: a refused or cut frame would go to the
    // sensor as its parameters. It carries the operator's set instead.
    CopyVarsToPP();
    do {
        int r = Exchange(CMD_MEASURE, pp, REPLY_FRAME, reply_limit, EX_EVENTS);
        if (r != EX_REPLY) {
            end->result = r;
            break;
        }
        TakeMeasurementWords(MEASURE_WORDS_VIDEO);
        int failedAt = 0;
        int b = ReadPicture(hooks, &failedAt);
        if (quit_flag) {
            end->result = EX_STOPPED;
            break;
        }
        // A picture whose block did not come is shown as it came; it ends
        // the loop like a missing reply.
        FillPictureRecord(&picture, b == EX_REPLY);
        end->records++;
        DeliverPicture(&picture);
        if (b != EX_REPLY) {
            *end = LoopEnd{b, pcbtype == 0 ? 64 : 256, failedAt, end->records};
            break;
        }
        if (hooks && hooks->more && !hooks->more(end->records)) break;
        ProcessSystemEvents();
        if (stop_flag) end->result = EX_STOPPED;
    } while (stop_flag == 0);
    stop_flag = 1;
    EndOfLoop();
    DeliverLoopEnded(end->result, end->blockSamples);
}

// ---- Commands -----------------------------------------------------------------------------------

int TeachAndReadBack(ExchangeWritten teachWritten, ExchangeWritten readWritten, int* readBack)
{
    *readBack = 0;
    // The sensor chooses the teach value itself; RAM read back shows it.
    CopyVarsToPP();
    int r = Exchange(CMD_TEACH, pp, REPLY_FRAME, reply_limit, EX_EVENTS, teachWritten);
    if (r != EX_REPLY) return r;
    *readBack = 1;
    return ReadParameterSet(RAM, readWritten);
}

int ResetMaxMin(ExchangeWritten written)
{
    CopyVarsToPP();
    return Exchange(CMD_RESET_MAXMIN, pp, REPLY_FRAME, reply_limit, EX_EVENTS, written);
}
