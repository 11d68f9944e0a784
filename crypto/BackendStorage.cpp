// Storage media, shared by both backends: a disk location (media 1) or a card reached
// through the driver that LoadStorage makes the toolkit load (media 2). Outputs are
// copied only when the toolkit succeeded.
#include "crypto/ToolkitBackend.h"
#include "crypto/ToolkitCall.h"

namespace zorvane {

int CToolkitBackend::LoadStorage(const ByteString& driverPath) {
    return Invoke(QLK_FUNCTION(QLK_MEDIA_Load), driverPath.GetData());
}

int CToolkitBackend::UnloadStorage() { return Invoke(QLK_FUNCTION(QLK_MEDIA_Unload)); }

int CToolkitBackend::ReadCertFromStorage(int media, const ByteString& location, int selector, ByteString& cert) {
    return OnMedia(media, "GPKI_STORAGE_ReadCert", QLK_FUNCTION(QLK_MEDIA_DISK_ReadCert),
                   QLK_FUNCTION(QLK_MEDIA_CARD_ReadCert), selector, location.GetData(),
                   Out(cert, CopyRule::OnSuccess));
}

int CToolkitBackend::ReadPriKeyFromStroage(int media, const ByteString& t2, const ByteString& t3, int selector,
                                           ByteString& key) {
    return OnMedia(media, "GPKI_STORAGE_ReadPriKey", QLK_FUNCTION(QLK_MEDIA_DISK_ReadPriKey),
                   QLK_FUNCTION(QLK_MEDIA_CARD_ReadPriKey), selector, t2.GetData(), t3.GetData(),
                   Out(key, CopyRule::OnSuccess));
}

int CToolkitBackend::WriteCertToStorage(int media, const ByteString& location, int selector, const ByteString& cert) {
    return OnMedia(media, "QLK_MEDIA_DISK_WriteCert", QLK_FUNCTION(QLK_MEDIA_DISK_WriteCert),
                   QLK_FUNCTION(QLK_MEDIA_CARD_WriteCert), selector, location.GetData(), In(cert));
}

int CToolkitBackend::WritePriKeyToStorage(int media, const ByteString& t2, const ByteString& t3, int selector,
                                          int p5, const ByteString& key) {
    return OnMedia(media, "QLK_MEDIA_DISK_WritePriKey", QLK_FUNCTION(QLK_MEDIA_DISK_WritePriKey),
                   QLK_FUNCTION(QLK_MEDIA_CARD_WritePriKey), selector, p5, t2.GetData(), t3.GetData(), In(key));
}

int CToolkitBackend::WriteFileToStorage(const ByteString& location, const ByteString& data) {
    return Invoke(QLK_FUNCTION(QLK_MEDIA_DISK_WriteFile), location.GetData(), In(data));
}

int CToolkitBackend::DeleteCertFromStorage(int media, const ByteString& location, int selector) {
    return OnMedia(media, "QLK_MEDIA_DISK_DeleteCert", QLK_FUNCTION(QLK_MEDIA_DISK_DeleteCert),
                   QLK_FUNCTION(QLK_MEDIA_CARD_DeleteCert), selector, location.GetData());
}

int CToolkitBackend::DeletePriKeyFromStorage(int media, const ByteString& t2, const ByteString& t3, int selector) {
    return OnMedia(media, "QLK_MEDIA_DISK_DeletePriKey", QLK_FUNCTION(QLK_MEDIA_DISK_DeletePriKey),
                   QLK_FUNCTION(QLK_MEDIA_CARD_DeletePriKey), selector, t2.GetData(), t3.GetData());
}

}  // namespace zorvane
