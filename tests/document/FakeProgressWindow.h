// A clock the test sets (or that advances by `tick` on every reading) and a
// progress window that opens at once, closes when events next run, records
// what it shows and presses its button when it shows `stopAtCount`.
#pragma once

#include <string>
#include <vector>

#include "document/LengthyOperation.h"

struct CFakeProgressWindow : NSZubrik::IMillisecondClock, NSZubrik::ILengthyOperationHost,
                             NSZubrik::ILengthyOperationWindow {
    uint32_t now = 0, tick = 0;
    NSZubrik::ILengthyOperationListener* listener = nullptr;
    bool open = false, closing = false;
    int opens = 0, beeps = 0;
    std::vector<std::u16string> texts;
    int32_t count = -1, bar = -1, stopAtCount = -1;

    NSZubrik::CLengthyOperationServices Services() { return {this, this}; }
    uint32_t Milliseconds() override { return now += tick; }
    void OpenWindow(const std::u16string& text, const std::u16string&, bool,
                    NSZubrik::ILengthyOperationListener& l) override
    {
        ++opens;
        open = true;
        texts.push_back(text);
        (listener = &l)->WindowOpened(*this);
    }
    void ProcessEvents() override
    {
        if (closing) {
            closing = open = false;
            listener->WindowClosed();
        }
    }
    void Beep() override { ++beeps; }
    void ShowText(const std::u16string& text) override { texts.push_back(text); }
    void ShowCount(int32_t n) override
    {
        if ((count = n) == stopAtCount)
            listener->StopPressed();
    }
    void ShowProgress(int32_t position) override { bar = position; }
    void RequestClose() override { closing = true; }
};
