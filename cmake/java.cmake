# Java side: NativeGpu and the record writer, built into a jar with the shaders.
