#pragma once
// CInstrument: one row of the quotes table. The price changes on the feed's
// thread; side, quantity, limit and watch are edited in place on the GUI
// thread. Every change is announced by field id, and the grid does the rest.
#include <common/data_object.h>
#include <common/field_table.h>

#include <atomic>
#include <cstdint>
#include <string>

class CInstrument : public Brivel::Common::CDataObject {
    BRIVEL_DECLARE_FIELD_MAP()
public:
    // Field ids, also the column ids.
    enum Field : int32_t { kSymbol, kSide, kQuantity, kPrice, kLimit, kWatch };
    enum Side : int32_t { kBuy, kSell };

    CInstrument(std::string symbol, double price);
    ~CInstrument() override { AnnounceDeletion(); } // the rows go before the members

    std::string GetSymbol() const { return m_symbol; }
    int32_t GetSide() const { return m_side; }
    void SetSide(int32_t side) { m_side = side; }
    int32_t GetQuantity() const { return m_quantity; }
    void SetQuantity(int32_t quantity) { m_quantity = quantity; }
    double GetPrice() const { return m_price.load(std::memory_order_relaxed); }
    double GetLimit() const { return m_limit; }
    void SetLimit(double limit) { m_limit = limit; }
    bool GetWatch() const { return m_watch; }
    void SetWatch(bool watch) { m_watch = watch; }

    // Any thread: stores the price and announces it.
    void ChangePrice(double price)
    {
        m_price.store(price, std::memory_order_relaxed);
        NotifyUpdate(kPrice);
    }

private:
    const std::string m_symbol;
    std::atomic<double> m_price; // written by the feed, read by the grid
    // Written and read on the GUI thread only (in-place edits).
    int32_t m_side = kBuy;
    int32_t m_quantity = 100;
    double m_limit = 0.0;
    bool m_watch = false;
};
