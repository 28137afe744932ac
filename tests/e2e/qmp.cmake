# End-to-end test of the qmp program under X.
qm_e2e_test(e2e_qmp qmp_draw.sh $<TARGET_FILE:qmp>)
