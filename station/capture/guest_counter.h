#pragma once
// The number of guests signed in since the station started. The station application owns the one
// counter and hands it to every capture window it opens, so the count survives the windows.
class GuestCounter {
  public:
    int Count() const { return count_; }
    void Add() { ++count_; }

  private:
    int count_ = 0;
};
