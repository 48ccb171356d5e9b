// The beeper, display area, display light, LED, resolution and reset
// commands: keyword and number arguments into one TTU command each.
#include "TTUKeywords.h"
#include "TTUService.h"
#include "Trace.h"
#include "XfsBuffer.h"

// The allocation comes first, so a failing allocation is reported as -1 even
// when the arguments are invalid too.
template <typename TData, typename TFill>
HRESULT CTTUService::SubmitCommand(DWORD dwCommand, ULONG ulFlags, const char *pszFunction,
                                   const char *pszLocation, TFill fill)
{
    CXfsBuffer data;
    HRESULT hAlloc = data.Allocate(sizeof(TData), ulFlags);
    if (hAlloc != WFS_SUCCESS) {
        TTU_TRACE_BUFFER_FAILED(pszFunction, pszLocation, hAlloc);
        return -1;
    }
    HRESULT hResult = fill(*data.As<TData>());
    if (hResult != WFS_SUCCESS)
        return hResult;
    return Execute(dwCommand, data.Address(), COMMAND_TIMEOUT, 0);
}

namespace {
// The value of a keyword, or -52 after the builder's line naming the word
// and its record.
HRESULT LookupOrRefuse(const TTUKeyword *pTable, size_t nRows, LPCWSTR lpszWord, WORD *pwValue,
                       const char *pszFunction, const char *pszLocation, const char *pszFormat)
{
    if (LookupKeyword(pTable, nRows, lpszWord, pwValue))
        return WFS_SUCCESS;
    TTU_TRACE_ERROR(pszFunction, pszFormat, lpszWord ? lpszWord : L"");
    TTU_ERROR_CODE(pszLocation, WFS_ERR_INVALID_DATA);
    return WFS_ERR_INVALID_DATA;
}
} // namespace

// An unknown beep type is refused without a trace line: the host's own
// "Invoked" line already shows the word.
HRESULT CTTUService::Beep(LPCWSTR BeepType, BOOL Continuous)
{
    return SubmitCommand<WFSTTUBEEP>(WFS_CMD_TTU_BEEP, WFS_MEM_SHARE | WFS_MEM_ZEROINIT,
                                     "CTTUService::Beep", "6J", [&](WFSTTUBEEP &beep) -> HRESULT {
                                         WORD wBeep = 0;
                                         if (!LookupKeyword(g_BeepTypeKeywords, BeepType, &wBeep))
                                             return WFS_ERR_INVALID_DATA;
                                         // Only exactly 1 asks for a continuous beep.
                                         if (Continuous == 1)
                                             wBeep |= WFS_TTU_BEEPCONTINUOUS;
                                         beep.wBeep = wBeep;
                                         return WFS_SUCCESS;
                                     });
}

HRESULT CTTUService::BeepOff()
{
    return SubmitCommand<WFSTTUBEEP>(WFS_CMD_TTU_BEEP, WFS_MEM_ZEROINIT, "CTTUService::BeepOff",
                                     "6K", [](WFSTTUBEEP &beep) -> HRESULT {
                                         beep.wBeep = WFS_TTU_BEEPOFF;
                                         return WFS_SUCCESS;
                                     });
}

// All four 0 means the whole display, as the last status reported it. The
// area is not compared with the display size: the service judges that.
HRESULT CTTUService::ClearScreen(SHORT TopLeftX, SHORT TopLeftY, SHORT Width, SHORT Height)
{
    return SubmitCommand<WFSTTUCLEARSCREEN>(
        WFS_CMD_TTU_CLEARSCREEN, WFS_MEM_ZEROINIT, "CTTUService::ClearScreen", "6L",
        [&](WFSTTUCLEARSCREEN &clear) -> HRESULT {
            if (TopLeftX == 0 && TopLeftY == 0 && Width == 0 && Height == 0) {
                clear.wPositionX = 0;
                clear.wPositionY = 0;
                clear.wWidth = static_cast<WORD>(m_sDisplaySizeX);
                clear.wHeight = static_cast<WORD>(m_sDisplaySizeY);
            } else {
                clear.wPositionX = static_cast<WORD>(TopLeftX);
                clear.wPositionY = static_cast<WORD>(TopLeftY);
                clear.wWidth = static_cast<WORD>(Width);
                clear.wHeight = static_cast<WORD>(Height);
            }
            if (TopLeftX < 0 || TopLeftY < 0 || Width < 0 || Height < 0) {
                TTU_TRACE_ERROR("CTTUService::ClearScreen",
                                "Clear Screen Area is invalid {TopLeftX[%d], TopLeftY[%d], "
                                "Width[%d], Height[%d]",
                                static_cast<int>(TopLeftX), static_cast<int>(TopLeftY),
                                static_cast<int>(Width), static_cast<int>(Height));
                TTU_ERROR_CODE("6L", WFS_ERR_INVALID_DATA);
                return WFS_ERR_INVALID_DATA;
            }
            return WFS_SUCCESS;
        });
}

HRESULT CTTUService::SetDisplayLight(LPCWSTR LightAction)
{
    return SubmitCommand<WFSTTUDISPLIGHT>(
        WFS_CMD_TTU_DISPLIGHT, WFS_MEM_ZEROINIT, "CTTUService::SetDisplayLight", "6M",
        [&](WFSTTUDISPLIGHT &light) -> HRESULT {
            WORD wMode = 0;
            HRESULT hr = LookupOrRefuse(g_LightActionKeywords, 2, LightAction, &wMode,
                                        "CTTUService::SetDisplayLight", "6M",
                                        "LightAction[%S] is undefined value");
            light.bMode = wMode;
            return hr;
        });
}

// The index is passed as given: the service knows how many LEDs it has.
HRESULT CTTUService::SetLEDState(SHORT Index, LPCWSTR State)
{
    return SubmitCommand<WFSTTUSETLEDS>(
        WFS_CMD_TTU_SET_LED, WFS_MEM_ZEROINIT, "CTTUService::SetLEDState", "6N",
        [&](WFSTTUSETLEDS &leds) -> HRESULT {
            leds.wLED = static_cast<WORD>(Index);
            WORD fwCommand = 0;
            HRESULT hr =
                LookupOrRefuse(g_LEDCommandKeywords, 5, State, &fwCommand,
                               "CTTUService::SetLEDState", "6N", "State[%S] is undefined value");
            leds.fwCommand = fwCommand;
            return hr;
        });
}

HRESULT CTTUService::SelectScreenSize(SHORT Width, SHORT Height)
{
    return SubmitCommand<WFSTTURESOLUTION>(WFS_CMD_TTU_SET_RESOLUTION, WFS_MEM_ZEROINIT,
                                           "CTTUService::SelectScreenSize", "6O",
                                           [&](WFSTTURESOLUTION &resolution) -> HRESULT {
                                               resolution.wSizeX = static_cast<WORD>(Width);
                                               resolution.wSizeY = static_cast<WORD>(Height);
                                               return WFS_SUCCESS;
                                           });
}

HRESULT CTTUService::Reset()
{
    return Execute(WFS_CMD_TTU_RESET, nullptr, COMMAND_TIMEOUT, 0);
}
