// A digitizer helper.
