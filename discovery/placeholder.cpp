// The port enumeration and the device search go here.
