// The live sound device through PortAudio lands with the tone output.
