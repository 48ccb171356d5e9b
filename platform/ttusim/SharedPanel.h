/*
 * The one panel every process on the machine sees: its state lives in named
 * shared memory (backed by a file in the temporary folder, so it outlives
 * the processes) under a named mutex. Whoever changes it signals the change
 * event of every process that listens (each has its own named event, so one
 * change wakes all of them, which a single auto-reset event could not do).
 */
#ifndef ZT_TTUSIM_SHAREDPANEL_H
#define ZT_TTUSIM_SHAREDPANEL_H

#include <windows.h>

#include <string>
#include <vector>

#include "PanelConfig.h"
#include "xfsttu.h"

constexpr int kKeyBufferSize = 256;
constexpr int kMaxListeners = 32;
constexpr int kSystemEventRing = 16;
constexpr int kNumCommands = 10;   // WFS_CMD_TTU_BEEP .. WFS_CMD_TTU_RESET
constexpr int kNumCategories = 6;  // WFS_INF_TTU_STATUS .. WFS_INF_TTU_KEY_DETAIL
constexpr int kStatusWords = 4;    // device, keyboard, key lock, LEDs

struct CPanelKey {
    WCHAR wcKey;      // a character key, or 0
    WORD wCommandKey; // a command key, or WFS_TTU_NOKEY
};

struct CInjectedFault {
    LONG nCount;      // completions still to answer hResult
    HRESULT hResult;
    DWORD dwDelay;    // milliseconds every request of this code is held back
};

struct CPanelState {
    DWORD dwMagic;
    DWORD dwLayoutSize;
    DWORD dwChangeCount;
    CPanelDescription description;

    WORD fwDevice, fwKeyboard, fwKeylock;
    WORD wLEDs[WFS_TTU_LEDS_MAX];
    BOOL bDisplayLight;
    WORD wLastBeep;
    BOOL bBeeping;

    WORD wSizeX, wSizeY;
    WORD wCursorX, wCursorY;
    BOOL bCursorOn;
    WCHAR cells[kMaxRows][kMaxColumns];
    BYTE attributes[kMaxRows][kMaxColumns];

    /* Keys pressed and not yet taken by a read (type-ahead). */
    DWORD dwKeysWritten, dwKeysRead;
    CPanelKey keys[kKeyBufferSize];

    /* The read (or form read) that owns the keyboard. */
    BOOL bReadActive;
    DWORD dwReadOwnerPid;
    DWORD dwReadToken;
    DWORD dwNextToken;
    /* The keys that read takes, for those who show the keyboard. */
    WCHAR szActiveKeys[kMaxKeys + 1];
    WORD wActiveCommandKeys[kMaxCommandKeys + 1]; // ends with WFS_TTU_NOKEY

    /* The session that holds the device lock (pid 0: unlocked). */
    DWORD dwLockPid;
    HSERVICE hLockService;

    CInjectedFault commandFaults[kNumCommands];
    CInjectedFault categoryFaults[kNumCategories];

    DWORD dwSystemEventCount; // system events sent so far
    DWORD systemEvents[kSystemEventRing];

    DWORD listenerPids[kMaxListeners];

    /* One counter per status word (device, keyboard, key lock, LEDs, in
       the order of kStatusDevice ..), grown by every change of it, whoever
       made it: each process turns a change into one WFS_SYSE_DEVICE_STATUS
       for the sessions whose StatusEvents name that word. */
    DWORD statusChanges[kStatusWords];
    WORD statusSeen[3 + WFS_TTU_LEDS_MAX]; // the values they were counted for
};

/* Whether a process still runs (a dead owner's lock or read is void). */
bool ProcessAlive(DWORD dwPid);

class CSharedPanel {
public:
    /* The panel, attached on first use. lpDescription describes the device
       that a fresh panel is powered on as; a panel that already runs must be
       that device. Null: attach only to a panel that already runs, else find
       the configuration through the registry (see FindOwnConfigPath). */
    static HRESULT Attach(const CPanelDescription *lpDescription, std::string &strError);
    /* Whether this process reached the panel (Attach succeeded once). */
    static bool IsAttached() { return s_pState != nullptr; }

    /* Exclusive access to the state; Changed() makes the release count the
       change and wake every listener. Accesses nest on one thread: only the
       outermost takes and releases the panel (and wakes the listeners). */
    class Access {
    public:
        Access();
        ~Access();
        Access(const Access &) = delete;
        Access &operator=(const Access &) = delete;
        CPanelState *operator->() const { return m_pState; }
        CPanelState &operator*() const { return *m_pState; }
        void Changed() { m_bChanged = true; }

    private:
        CPanelState *m_pState;
        bool m_bChanged = false;
    };

    /* While one lives, changes this thread makes wake only the other
       processes: the caller deals with what they mean here. */
    class QuietHere {
    public:
        QuietHere();
        ~QuietHere();
        QuietHere(const QuietHere &) = delete;
        QuietHere &operator=(const QuietHere &) = delete;
    };

    /* Counts the status words that changed since the last count. */
    static void CountStatusChanges(CPanelState &state);

    /* This process's change event (created on the first call); the process
       is woken on every change while it listens. */
    static HANDLE StartListening();
    static void StopListening();

    /* The power-on state of the described device; keeps the lock. */
    static void PowerOn(CPanelState &state);
    /* What a reset command restores: display (power-on size, cleared),
       LEDs off, beeper off, display light on, device online. */
    static void ResetOutputs(CPanelState &state);
    /* Sets a new display size and clears the display. */
    static void SetResolution(CPanelState &state, WORD wSizeX, WORD wSizeY);
    static void ClearArea(CPanelState &state, int x, int y, int cx, int cy);
    /* Writes a line of text from (x, y); characters past the right edge are
       dropped. Returns the column after the last character given. */
    static int PutText(CPanelState &state, int x, int y, const std::wstring &strText, WORD fwAttr);
    static std::wstring DisplayText(const CPanelState &state);
    static void PushKey(CPanelState &state, CPanelKey key);
    static void PushSystemEvent(CPanelState &state, DWORD dwEventID);
    /* Records the keys a starting read takes; characters and command keys
       the panel lacks, or too many of them, are left out. */
    static void SetActiveKeys(CPanelState &state, const std::wstring &strKeys,
                              const std::vector<WORD> &commandKeys);

private:
    static CPanelState *s_pState;
    static HANDLE s_hMutex;
};

#endif
