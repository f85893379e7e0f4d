// The base of every filter: IBaseFilter with its IMediaFilter state machine, the graph it has
// joined, its clock, its events, and IAMovieSetup from its setup record. Derived filters
// supply their pins (GetPinCount, GetPin) and the lock that guards state and connections.
//
// Threads. State changes, connections and graph membership come on the graph's control thread
// and take the filter lock; the state is an atomic so that streaming threads can test it
// without that lock.
#pragma once

#include <atomic>

#include "framework/FilterSetup.h"
#include "framework/Unknown.h"
#include "platform/CritSec.h"
#include "platform/Platform.h"

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter, public IAMovieSetup {
public:
    // `lock` is the filter lock, owned by the derived filter; it may not be constructed yet
    // when this constructor runs and is first used afterwards.
    CBaseFilter(const WCHAR* name, IUnknown* outer, CCritSec* lock, REFCLSID clsid);
    CBaseFilter(const WCHAR* name, IUnknown* outer, CCritSec* lock, REFCLSID clsid, HRESULT* hr);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    // IBaseFilter, IMediaFilter, IPersist, IAMovieSetup, then IUnknown.
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPersist
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;

    // IMediaFilter. Pause from stopped activates the connected pins, Stop deactivates them,
    // Run pauses first when stopped and then runs the connected pins.
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;

    // IBaseFilter. Pins are found by their names.
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* vendorInfo) override;

    // IAMovieSetup: the setup record with the filter mapper; S_FALSE without a record.
    HRESULT STDMETHODCALLTYPE Register() override;
    HRESULT STDMETHODCALLTYPE Unregister() override;

    // The pins, numbered from 0. A pin is owned by the filter and lives on its count.
    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int n) = 0;
    // Changes whenever the set of pins changes; pin enumerators compare it.
    virtual LONG GetPinVersion();
    void IncrementPinVersion();
    // The clock's time less the start time of the run: VFW_E_NO_CLOCK without a clock.
    virtual HRESULT StreamTime(REFERENCE_TIME* streamTime);
    // What IAMovieSetup and the factory templates register: none by default.
    virtual const AMOVIESETUP_FILTER* GetSetupData();

    // Sends an event to the graph's event sink: E_NOTIMPL outside a graph. EC_COMPLETE
    // without a second parameter names this filter.
    HRESULT NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);
    // Asks the graph to reconnect `pin` (with `type` when given, IFilterGraph2::ReconnectEx):
    // VFW_E_NOT_IN_GRAPH outside a graph.
    HRESULT ReconnectPin(IPin* pin, const AM_MEDIA_TYPE* type);

    IFilterGraph* Graph() const { return graph_; }  // not counted
    FILTER_STATE State() const { return state_; }
    bool IsStopped() const { return state_ == State_Stopped; }
    bool IsActive() const { return state_ != State_Stopped; }
    REFERENCE_TIME StartTime() const { return start_; }
    CCritSec* FilterLock() const { return lock_; }

protected:
    CCritSec* const lock_;  // not owned: the filter lock
    std::atomic<FILTER_STATE> state_{State_Stopped};
    REFERENCE_TIME start_ = 0;          // of the current run, in the clock's time
    IReferenceClock* clock_ = nullptr;  // counted
    // The graph owns the filter, so neither the graph nor its event sink is counted.
    IFilterGraph* graph_ = nullptr;
    IMediaEventSink* eventSink_ = nullptr;

private:
    CLSID clsid_;
    WCHAR name_[MAX_FILTER_NAME] = {};
    volatile LONG pinVersion_ = 1;
};
