; Placeholder system program: enables nothing and halts.
        org 0
        di
halt_loop:
        halt
        jr halt_loop
