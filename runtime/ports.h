// Serial ports present on the machine, numbered as COM ports and watched.
//
// What is listed: on-board UARTs with hardware behind them (a ttyS node whose
// kernel port type is known; other UARTs with a device in sysfs), USB
// adapters (ttyUSB*, ttyACM*) under their stable names in /dev/serial/by-id
// where udev made one, whatever else that folder holds, and the devices named
// on the command line. One device is listed once: a name from the command
// line before its by-id link, a by-id link before its kernel name.
//
// Numbers: a port named on the command line has the number it was given;
// ttyS<k> is COM k+1; every other port takes the lowest number that was
// never given out in this run. A number stays with its port (by its stable
// name) until the program ends, also while the port is away. Every listed
// port is put into the RS-232 device map (SetComDevice), so opening COM n
// opens the port's stable name.
//
// Before the first ScanPorts (a program that never looks, such as the test
// programs) the list is the fixed map COM1..COM8 = /dev/ttyS0..7.
//
// Watching: inotify on /dev, the by-id folder (or, while it is missing, the
// nearest folder above it), the folders of named devices and of the devices
// listed ports point at; a short settle time gathers the burst of changes a
// plug or unplug makes into one rescan. Nothing polls: an idle program
// sleeps until the kernel reports a change.
#pragma once

const int PORT_DESC_LEN = 160;  // description texts, terminated

// ---- Where to look ------------------------------------------------------------------------------
// The folder of stable names (default /dev/serial/by-id); null or "" keeps
// the default. The program's --by-id-dir.
void SetPortsByIdDir(const char* dir);
// The device and sysfs folders (defaults /dev and /sys/class/tty); tests
// point them at folders of their own so the machine's ports stay out.
void SetPortsSystemDirs(const char* devDir, const char* sysTtyDir);

// ---- The list -----------------------------------------------------------------------------------
enum {
    PORTS_NUMBER_TAKEN = -20,  // AddComPort: that number was named already
};
// A device named on the command line as COM `number`: 0, RS_INVALID_PORT,
// or PORTS_NUMBER_TAKEN.
int AddComPort(int number, const char* device);
// Looks at what is there now: numbers new ports, marks the present ones,
// updates the device map. An open port whose device went away, or now
// stands for another device, reads as gone from then on (ComPortGone).
// Returns the count of ports listed.
int ScanPorts(void);
int ListedPorts(int* numbers, int max);  // numbers of the listed ports, ascending; their count
int PortPresent(int number);             // 1 there, 0 away or not listed, -1 nothing scanned yet
// Changes each time the port's device appears anew (plugged in again, a
// link pointed at another device); 0 while away.
unsigned PortAppearance(int number);
const char* PortDescription(int number);  // maker, product, serial, kernel name; "" if unknown
int PortNumber(const char* device);       // number of the port with that stable name, 0 if none

// ---- Watching -----------------------------------------------------------------------------------
// Called inside event processing after the list changed (rescanned already)
// or an open port's device vanished. Returns 0 when done, 1 to be called
// again a little later (the program was busy on the line).
typedef int (*PortsChangedPtr)(void* data);
// Starts watching: with a window system (InitRuntime) in Qt's loop, without
// one (InitRuntimeHeadless) in the headless event processing. 0, or -1 when
// the kernel refuses the watch (then the list stays as scanned).
int WatchPorts(PortsChangedPtr callback, void* data);
void StopWatchingPorts(void);
