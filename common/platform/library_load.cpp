// Work done once when Tarquel is loaded, before any caller can use it.
