// The red, green and blue gamma sliders, their value texts and the box that
// links them.
#include "propsheet/page.h"
#include "settings/settings_key.h"

#define GAMMA_TEXT_SIZE 20

// Slider, value text and stored channel of red, green and blue.
static const struct {
    int sliderId;
    int valueId;
    int channel;
} gammaControls[GAMMA_SLIDER_COUNT] = {
    {IDC_GAMMA_R_SLIDER, IDC_GAMMA_R_VALUE, GAMMA_CHANNEL_RED},
    {IDC_GAMMA_G_SLIDER, IDC_GAMMA_G_VALUE, GAMMA_CHANNEL_GREEN},
    {IDC_GAMMA_B_SLIDER, IDC_GAMMA_B_VALUE, GAMMA_CHANNEL_BLUE},
};

// The notification a user's drag would send, posted for the page itself.
static void PostThumbTrack(HWND hwnd, HWND hwndSlider, int position)
{
    PostMessageA(hwnd, WM_HSCROLL, (WPARAM)(DWORD)MAKELONG(TB_THUMBTRACK, position), (LPARAM)hwndSlider);
}

void InitGammaSliders(HWND hwnd)
{
    int max;
    int i;

    if (!pageState.boardPresent) {
        DisableGammaGroup(hwnd);
        return;
    }
    max = GammaToPosition(2.0f);
    for (i = 0; i < GAMMA_SLIDER_COUNT; i++) {
        int position = GammaToPosition(GetGamma(gammaControls[i].channel));
        HWND hwndSlider = GetDlgItem(hwnd, gammaControls[i].sliderId);
        SendMessageA(hwndSlider, TBM_SETRANGE, TRUE, MAKELONG(0, max));
        SendMessageA(hwndSlider, TBM_SETPOS, TRUE, position);
        pageState.channels[i].hwndSlider = hwndSlider;
        pageState.channels[i].hwndValue = GetDlgItem(hwnd, gammaControls[i].valueId);
        PostThumbTrack(hwnd, hwndSlider, position);
    }
}

void WriteSliderGammas(HWND hwnd)
{
    int i;

    for (i = 0; i < GAMMA_SLIDER_COUNT; i++) {
        int position = (int)SendDlgItemMessageA(hwnd, gammaControls[i].sliderId, TBM_GETPOS, 0, 0);
        SetGamma(PositionToGamma(position), gammaControls[i].channel);
    }
}

void OnGammaScroll(HWND hwnd, HWND hwndTrackbar)
{
    GammaSliderChannel* channel = NULL;
    char text[GAMMA_TEXT_SIZE];
    int position;
    int i;

    for (i = 0; i < pageState.channelCount && i < GAMMA_SLIDER_COUNT; i++) {
        if (pageState.channels[i].hwndSlider != NULL && pageState.channels[i].hwndSlider == hwndTrackbar) {
            channel = &pageState.channels[i];
            break;
        }
    }
    if (channel == NULL)
        return;

    position = (int)SendMessageA(hwndTrackbar, TBM_GETPOS, 0, 0);
    if (!FormatFixed(PositionToGamma(position), 2, text, sizeof(text))) {
        SetWindowTextA(channel->hwndValue, "0.00");
        return;
    }
    if (pageState.linked) {
        for (i = 0; i < GAMMA_SLIDER_COUNT; i++) {
            SendMessageA(pageState.channels[i].hwndSlider, TBM_SETPOS, TRUE, position);
            SetWindowTextA(pageState.channels[i].hwndValue, text);
        }
    } else {
        SetWindowTextA(channel->hwndValue, text);
    }
    if (pageState.initDone == 1) {
        pageState.gammaChanged = 1;
        WriteSliderGammas(hwnd);
        pageState.restartNeeded = 1;
    }
}

void OnLinkToggled(HWND hwnd)
{
    LONG state = GetCheckState(hwnd, IDC_LINK_CHANNELS);

    if (state == pageState.linked)
        return;
    if (state != 0)
        LinkChannels(hwnd);
    else
        UnlinkChannels();
}

// Aligns green and blue to red; the posted notification then sets the texts
// and, after initialisation, stores all three.
void LinkChannels(HWND hwnd)
{
    int position;

    pageState.linked = 1;
    position = (int)SendDlgItemMessageA(hwnd, IDC_GAMMA_R_SLIDER, TBM_GETPOS, 0, 0);
    SendDlgItemMessageA(hwnd, IDC_GAMMA_G_SLIDER, TBM_SETPOS, TRUE, position);
    SendDlgItemMessageA(hwnd, IDC_GAMMA_B_SLIDER, TBM_SETPOS, TRUE, position);
    PostThumbTrack(hwnd, GetDlgItem(hwnd, IDC_GAMMA_B_SLIDER), position);
}

void UnlinkChannels(void)
{
    pageState.linked = 0;
}
