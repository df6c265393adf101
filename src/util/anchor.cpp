int QuillonCoreAnchor() { return 0; }
